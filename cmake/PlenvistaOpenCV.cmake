# OpenCV's separate Debian modules (libopencv-core-dev, -imgproc-dev,
# -features2d-dev, -calib3d-dev) ship neither a CMake package nor a
# pkg-config file; the whole-library package that has them is not wanted.
# plenvista_opencv_target(NAME MODULE...) makes an imported interface
# target NAME that links those modules and includes their headers as
# system headers (their enum arithmetic would trip our warnings).
function(plenvista_opencv_target name)
  if(TARGET ${name})
    return()
  endif()
  find_path(PLENVISTA_OPENCV_INCLUDE opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
  add_library(${name} INTERFACE IMPORTED)
  target_include_directories(${name} SYSTEM INTERFACE ${PLENVISTA_OPENCV_INCLUDE})
  foreach(module IN LISTS ARGN)
    find_library(PLENVISTA_OPENCV_${module} opencv_${module} REQUIRED)
    target_link_libraries(${name} INTERFACE ${PLENVISTA_OPENCV_${module}})
  endforeach()
endfunction()

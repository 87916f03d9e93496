# Installs the build in BUILD_DIR into PREFIX (emptied first) and checks the
# result: every file in place, the programs start, the desktop entry passes
# desktop-file-validate and the MIME database built from the installed type
# maps *.op2 to the project type.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(expected
    bin/plenvista
    bin/plenvista-cli
    share/applications/plenvista.desktop
    share/mime/packages/plenvista.xml
    share/icons/hicolor/scalable/apps/plenvista.svg
    share/doc/plenvista/manual/index.html
    share/doc/plenvista/manual/tutorial.html
    share/doc/plenvista/manual/image-view.png
    share/plenvista/sample/house.op2
    share/plenvista/sample/camera.cal
    share/plenvista/sample/grid.png
    share/plenvista/sample/front-left.jpg
    share/plenvista/sample/front-right.jpg
    share/plenvista/sample/back-right.jpg
    share/plenvista/sample/back-left.jpg)
foreach(file IN LISTS expected)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# Every picture a manual page shows is installed beside it.
file(GLOB pages ${PREFIX}/share/doc/plenvista/manual/*.html)
foreach(page IN LISTS pages)
  file(STRINGS ${page} pictures REGEX "src=\"[^\"]+\"")
  foreach(line IN LISTS pictures)
    string(REGEX MATCHALL "src=\"[^\"]+\"" sources "${line}")
    foreach(source IN LISTS sources)
      string(REGEX REPLACE "src=\"([^\"]+)\"" "\\1" picture "${source}")
      if(NOT EXISTS ${PREFIX}/share/doc/plenvista/manual/${picture})
        message(FATAL_ERROR "${page} shows ${picture}, which is not installed")
      endif()
    endforeach()
  endforeach()
endforeach()

execute_process(COMMAND ${PREFIX}/bin/plenvista-cli --version RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed plenvista-cli does not start")
endif()

find_program(VALIDATE desktop-file-validate REQUIRED)
execute_process(COMMAND ${VALIDATE} ${PREFIX}/share/applications/plenvista.desktop
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate: ${out}")
endif()

find_program(UPDATE_MIME update-mime-database)
if(UPDATE_MIME)
  execute_process(COMMAND ${UPDATE_MIME} ${PREFIX}/share/mime RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  file(READ ${PREFIX}/share/mime/globs2 globs)
  if(NOT status EQUAL 0 OR NOT globs MATCHES "application/x-plenvista-project:\\*\\.op2")
    message(FATAL_ERROR "the MIME database does not map *.op2 to the project type")
  endif()
endif()

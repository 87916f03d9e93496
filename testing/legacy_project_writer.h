#pragma once

// Writes a project in the layout of any file version from 1 to 13, written
// independently of the program's own writer so that the reader is tested
// against a second reading of the format. Texts that older versions carried
// and the reader discards are filled with recognisable junk.

#include <string>

#include "base/binary_io.h"
#include "model/project.h"

namespace plenvista::test_support {

inline std::string encode_project_version(const Project& project, int version) {
  ByteWriter w;
  auto id = [](const auto* r) { return r ? r->id : -1; };
  // Version 1 stored file names with their directory; absent stays absent.
  auto name = [&](const StoredText& n) {
    if (n && version == 1)
      w.text(std::string_view("C:\\old\\place\\" + *n));
    else
      w.text(n);
  };
  auto camera = [&] { name(project.camera_file_name); };
  auto images = [&] {
    const ImageSet& set = project.images();
    w.i32(set.images.count());
    for (const ProjectImage* im : set.images) {
      w.i32(im->id);
      w.text(im->description);
      name(im->file_name);
      w.i32(im->pose_known ? 1 : 0);
      w.i32(im->marks_changed ? 1 : 0);
      w.f64(im->search_score);
      const CameraPose& p = im->pose;
      for (double v : {p.offset.x, p.offset.y, p.offset.z, p.rotation.x, p.rotation.y, p.rotation.z}) w.f64(v);
      w.i32(im->reference_points.count());
      for (const ReferencePoint* r : im->reference_points) {
        w.i32(r->id);
        w.i32(r->outlier ? 1 : 0);
        for (double v : {r->world_position.x, r->world_position.y, r->world_position.z, r->image_position.x,
                         r->image_position.y, r->projected_position.x, r->projected_position.y})
          w.f64(v);
      }
      w.i32(id(im->partner));
      w.f64(im->texture_centre_x);
      w.f64(im->texture_centre_y);
      w.f64(im->texture_scale);
      w.i32(im->size_differs ? 1 : 0);
      w.f64(im->view.scroll_x);
      w.f64(im->view.scroll_y);
      w.f64(im->view.zoom);
    }
    w.i32(id(set.current));
  };
  auto model = [&] {
    const ModelData& m = project.model;
    w.i32(m.next_id);
    w.text(m.description);
    if (version <= 6) w.text(std::string_view("discarded model text"));
    w.i32(m.materials.count());
    for (const Material* mat : m.materials) {
      w.i32(mat->id);
      w.text(mat->name);
      w.i32(static_cast<std::int32_t>(mat->face_colour));
      w.f64(mat->attribute);
      w.i32(static_cast<std::int32_t>(mat->specular_colour));
      w.i32(static_cast<std::int32_t>(mat->emissive_colour));
      if (version <= 11) w.text(std::string_view("discarded material text"));
      if (version >= 11) w.i32(id(mat->texture_image));
    }
    w.i32(m.layers.count());
    for (const Layer* l : m.layers) {
      w.i32(l->id);
      w.text(l->name);
      w.i32(l->attribute1);
      w.i32(l->attribute2);
      w.i32(static_cast<std::int32_t>(l->colour));
    }
    w.i32(m.visible_layers.count());
    for (const Layer* l : m.visible_layers) w.i32(l->id);
    if (version >= 3) {
      w.i32(m.visible_materials.count());
      for (const Material* mat : m.visible_materials) w.i32(mat->id);
    }
    w.i32(m.transform.reserved);
    w.f64(m.transform.origin_offset.x);
    w.f64(m.transform.origin_offset.y);
    w.f64(m.transform.origin_offset.z);
    w.f64(m.transform.scale);
    w.i32(static_cast<std::int32_t>(m.transform.mirror_plane));
    w.f64(m.transform.mirror_buffer);
    auto points = [&] {
      w.i32(m.points.count());
      for (const ModelPoint* p : m.points) {
        w.i32(p->id);
        w.i32(id(p->layer));
        w.f64(p->x);
        w.f64(p->y);
        w.f64(p->z);
      }
    };
    auto coords = [&] {
      w.i32(m.texture_coords.count());
      for (const TextureCoord* t : m.texture_coords) {
        w.i32(t->id);
        w.f64(t->u);
        w.f64(t->v);
        w.i32(id(t->point));
      }
    };
    auto faces = [&] {
      w.i32(m.faces.count());
      for (const ModelFace* f : m.faces) {
        w.i32(f->id);
        for (const ModelPoint* c : f->corners) w.i32(id(c));
        for (const TextureCoord* t : f->texture_coords) w.i32(id(t));
        w.i32(id(f->material));
      }
    };
    points();
    if (version >= 4) {
      coords();
      faces();
    } else {
      faces();
      coords();
    }
    w.i32(id(m.current_material));
    w.i32(id(m.current_layer));
    w.i32(m.show_mirror_points);
    if (version >= 5) w.text(m.image_directories);
    if (version >= 6) {
      w.i32(static_cast<std::int32_t>(m.face_line_colour));
      w.i32(static_cast<std::int32_t>(m.mirror_face_line_colour));
      w.i32(static_cast<std::int32_t>(m.reference_point_colour));
    }
    if (version >= 10) w.i32(static_cast<std::int32_t>(m.selection_size));
    if (version >= 13) w.i32(static_cast<std::int32_t>(m.selection_mode));
  };

  w.i32(53);
  w.text(std::string_view("PLEN"));
  w.i32(version);
  if (version >= 11) {
    camera();
    images();
    model();
  } else {
    model();
    camera();
    images();
  }
  if (version > 7) {
    const ExportSettings& s = project.export_settings;
    w.i32(s.format);
    for (int f : {s.use_textures, s.write_templates, s.use_mirror, s.use_scaling, s.reverse_z, s.write_normals})
      w.i32(f);
    w.text(s.last_x_path);
    w.text(s.last_obj_path);
    w.text(s.mtl_name);
  }
  if (version > 8) {
    for (const CadViewState& v : project.cad_views) {
      w.i32(v.leading_value);
      for (const ZoomPanState& sub : v.sub_views) {
        w.f64(sub.scroll_x);
        w.f64(sub.scroll_y);
        w.f64(sub.zoom);
      }
      w.i32(v.current_axis);
    }
  }
  return std::move(w.data());
}

}  // namespace plenvista::test_support

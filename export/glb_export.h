#pragma once

// Binary glTF 2.0 (.glb): one file holding the model as one mesh, its
// texture photographs embedded.
//
// The mesh has one primitive per material that has faces, in the model's
// material order, with the faces of "Use Mirror" included as for OBJ.
// Each primitive has its own vertices (one per distinct point and texture
// coordinate of its corners): POSITION in export units through the export
// transform (origin offset, z negated unless "Reverse Z axis", scale),
// NORMAL (the unit vertex normal, (0, 0, 1) for a point whose faces have no
// area), TEXCOORD_0 when a face of the material has texture coordinates
// (u right, v down from the photograph's top-left, as stored; a corner
// without one gets (0, 0)), and 32-bit indices in the written corner order.
//
// Each material is a metallic-roughness material named as in the model
// (metallic 0, roughness 1). With "Use Textures" and a texture photograph
// that can be embedded its base-colour texture is the photograph, untinted
// (base colour factor white); otherwise its base colour factor is the face
// colour converted from sRGB to linear. A photograph used by several
// materials is embedded once. JPEG and PNG photographs are embedded as they
// are; other formats go through the installed image embedder.
//
// Numbers are written locale-independently. A photograph that cannot be
// found or read gives a "Warning" naming it and the material, which is then
// exported with its colour; the export itself goes on.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/export_settings.h"
#include "model/located_camera.h"
#include "model/model_data.h"
#include "model/project.h"

namespace plenvista {

struct EmbeddedImage {
  std::string bytes;
  std::string mime_type;  // "image/jpeg" or "image/png"
};

// Reads the photograph at `path` ready to embed, or gives none and a
// message in `error`.
using ImageEmbedder = std::optional<EmbeddedImage> (*)(const std::string& path, std::string& error);

// JPEG and PNG files as they are, recognised by their first bytes; refuses
// anything else.
std::optional<EmbeddedImage> embed_as_stored(const std::string& path, std::string& error);

// The embedder export_glb uses: embed_as_stored until the program installs
// one that converts other formats; null puts embed_as_stored back.
void set_image_embedder(ImageEmbedder embedder);

// The texture photograph of a material, or null for none.
using MaterialImage = std::function<const EmbeddedImage*(const Material&)>;

// The whole .glb file. Recomputes the vertex normals of the written records.
// Each located camera becomes a perspective camera on a node of its own,
// named by its photograph, placed through the export transform.
std::string glb_bytes(ModelData& model, const ExportSettings& settings, const MaterialImage& image_of,
                      const std::vector<LocatedCamera>& cameras = {});

// Export glTF: copies the transform, embeds the texture photographs found
// along the image directories, adds the located cameras and writes `path`
// atomically. Returns whether
// the file was written.
bool export_glb(Project& project, const std::string& path);

}  // namespace plenvista

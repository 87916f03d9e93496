#include "platform/grid_sheet_writer.h"

#include <cstdio>
#include <iterator>
#include <vector>

#include "base/file_io.h"
#include "base/number_text.h"
#include "base/text.h"

namespace plenvista {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

// A number of the PDF page in points, four decimals.
std::string pt(double mm) { return format_fixed(mm * kPointsPerMm, 4); }

// A PDF string: backslash and parentheses escaped; the texts are ASCII.
std::string pdf_string(const std::string& text) {
  std::string out = "(";
  for (const char c : text) {
    if (c == '\\' || c == '(' || c == ')') out += '\\';
    out += c;
  }
  return out + ")";
}

std::string xml_escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string num(double value) { return format_shortest(value); }

}  // namespace

SheetFormat sheet_format_of(const std::string& path) {
  return ends_with_ignoring_case(path, ".svg") ? SheetFormat::Svg : SheetFormat::Pdf;
}

std::string grid_sheet_pdf(const GridSheet& sheet) {
  // The page in points with y up; lines stroked black with square ends, the
  // texts in the viewers' built-in Helvetica.
  const auto y = [&](double mm) { return pt(sheet.page_height_mm - mm); };
  std::string content = "0 G 0 g 2 J\n";
  for (const SheetLine& line : sheet.lines)
    content +=
        pt(line.width) + " w " + pt(line.x1) + " " + y(line.y1) + " m " + pt(line.x2) + " " + y(line.y2) + " l S\n";
  for (const SheetText& text : sheet.texts)
    content += "BT /F1 " + pt(text.size_mm) + " Tf " + pt(text.x) + " " + y(text.y) + " Td " + pdf_string(text.text) +
               " Tj ET\n";

  const std::string objects[] = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + pt(sheet.page_width_mm) + " " + pt(sheet.page_height_mm) +
          "] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
      "<< /Title (Calibration grid) /Creator (Plenvista) >>",
  };
  std::string pdf = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t k = 0; k < std::size(objects); ++k) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(k + 1) + " 0 obj\n" + objects[k] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
    pdf += entry;
  }
  pdf += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R /Info 6 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

std::string grid_sheet_svg(const GridSheet& sheet) {
  const std::string w = num(sheet.page_width_mm);
  const std::string h = num(sheet.page_height_mm);
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "mm\" height=\"" + h + "mm\" viewBox=\"0 0 " + w +
         " " + h + "\">\r\n";
  svg += "<title>Calibration grid</title>\r\n";
  svg += "<rect x=\"0\" y=\"0\" width=\"" + w + "\" height=\"" + h + "\" fill=\"white\"/>\r\n";
  svg += "<g stroke=\"black\" stroke-linecap=\"square\" fill=\"none\">\r\n";
  for (const SheetLine& line : sheet.lines)
    svg += "<line x1=\"" + num(line.x1) + "\" y1=\"" + num(line.y1) + "\" x2=\"" + num(line.x2) + "\" y2=\"" +
           num(line.y2) + "\" stroke-width=\"" + num(line.width) + "\"/>\r\n";
  svg += "</g>\r\n";
  for (const SheetText& text : sheet.texts)
    svg += "<text x=\"" + num(text.x) + "\" y=\"" + num(text.y) + "\" font-family=\"sans-serif\" font-size=\"" +
           num(text.size_mm) + "\" fill=\"black\">" + xml_escaped(text.text) + "</text>\r\n";
  svg += "</svg>\r\n";
  return svg;
}

bool write_grid_sheet(const GridSheet& sheet, const std::string& path, std::string& error) {
  const std::string bytes = sheet_format_of(path) == SheetFormat::Svg ? grid_sheet_svg(sheet) : grid_sheet_pdf(sheet);
  if (write_file_atomically(path, bytes) == WriteResult::Ok) return true;
  error = "Cannot write " + path;
  return false;
}

}  // namespace plenvista

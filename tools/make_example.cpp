// make_example: writes the bundled example model, a two-dimensional C-core
// actuator, into a directory:
//   Ana.csv, Prop.csv, Model.msh   the inputs of sheetprep (CR LF line ends, as
//                                   a spreadsheet and a desktop mesher write them)
//   results.txt                    a plausible set of solver results, in the
//                                   text form that make_results turns into the
//                                   four .tmp files of sheetpost
//
// The geometry, in millimetres on an 80 x 60 grid of 2 mm cells: a C-shaped
// iron core with an air gap in its right limb, a permanent magnet in its left
// limb, a yoke section of hysteretic steel, a coil of two sides around the
// left limb, and air. Iron, magnet and coil cells are quadrilaterals (204),
// air cells are split into two triangles (203).
//
// usage: make_example DIR
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kCellsX = 40;
constexpr int kCellsY = 30;
constexpr double kCell = 2.0;  // mm
constexpr double kWidth = kCellsX * kCell;
constexpr double kHeight = kCellsY * kCell;

// Region rows of Ana.csv, numbered by position from 1.
enum Region { kAir = 1, kIron = 2, kCoilIn = 3, kCoilOut = 4, kMagnet = 5, kHystSteel = 6 };

bool Inside(double x, double y, double x0, double x1, double y0, double y1) {
  return x > x0 && x < x1 && y > y0 && y < y1;
}

Region RegionAt(double x, double y) {
  if (Inside(x, y, 10, 20, 26, 34)) return kMagnet;
  if (Inside(x, y, 60, 70, 28, 32)) return kAir;  // the air gap
  if (Inside(x, y, 30, 50, 10, 20)) return kHystSteel;
  const bool core = Inside(x, y, 10, 70, 10, 50) && !Inside(x, y, 20, 60, 20, 40);
  if (core) return kIron;
  if (Inside(x, y, 20, 26, 22, 38)) return kCoilIn;
  if (Inside(x, y, 4, 10, 22, 38)) return kCoilOut;
  return kAir;
}

std::string Number(double value, int decimals) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return std::string(text, result.ptr);
}

std::string Scientific(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 9);
  return std::string(text, result.ptr);
}

bool WriteText(const std::string& path, const std::string& text, bool crlf) {
  std::string bytes;
  for (char c : text) {
    if (c == '\n' && crlf) bytes += '\r';
    bytes += c;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

const char kAnalysisSheet[] =
    "C-core actuator with magnet and coil,,,,,\n"
    "2DIM,,,,,\n"
    "6\n"
    "1,AIR,1,1\n"
    "2,IRON,2,2\n"
    "3,COIL,3,3\n"
    "4,COIL,3,3\n"
    "5,PMAG,4,4,0.0,1.0,0\n"
    "6,HYST,5,5\n"
    "2\n"
    "1,1,2.5\n"
    "2,1,-2.5\n";

// Material 1 (air) and 3 (copper) are linear, 2 (steel) has a saturating
// curve, 4 (a ferrite magnet) ends at its remanence, 5 carries extra columns
// on its point lines as a hysteresis material does.
const char kMaterialSheet[] =
    "5\n"
    "1,Air,2,linear,\n"
    "1,0,0\n"
    "2,1000000,1.2566\n"
    "2,Steel 1010,12,nonlinear,\n"
    "1,0,0\n"
    "2,100,0.45\n"
    "3,200,0.85\n"
    "4,400,1.15\n"
    "5,700,1.35\n"
    "6,1000,1.45\n"
    "7,2000,1.58\n"
    "8,4000,1.68\n"
    "9,8000,1.77\n"
    "10,16000,1.86\n"
    "11,50000,2.02\n"
    "12,200000,2.25\n"
    "3,Copper,2,linear,\n"
    "1,0,0\n"
    "2,1000000,1.2566\n"
    "4,Ferrite,3,magnet,\n"
    "1,-300000,0\n"
    "2,-150000,2000\n"
    "3,0,4000\n"
    "5,Hysteresis steel,6,hysteresis,\n"
    "1,0,0,0,0\n"
    "2,150,0.6,120,0.5\n"
    "3,400,1.1,350,1.0\n"
    "4,1000,1.4,900,1.35\n"
    "5,3000,1.6,2800,1.58\n"
    "6,10000,1.8,9500,1.79\n";

// A smooth vector potential (Wb/m) over the model, and its curl.
double Potential(double x, double y) {
  const double pi = 3.14159265358979323846;
  return 0.004 * std::sin(pi * x / kWidth) * std::sin(pi * y / kHeight) +
         0.001 * std::cos(2 * pi * x / kWidth) * std::sin(pi * y / kHeight);
}

std::array<double, 2> FluxDensity(double x, double y) {
  const double h = 1e-3;  // mm
  const double dady = (Potential(x, y + h) - Potential(x, y - h)) / (2 * h * 1e-3);
  const double dadx = (Potential(x + h, y) - Potential(x - h, y)) / (2 * h * 1e-3);
  return {dady, -dadx};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_example DIR\n", stderr);
    return 2;
  }
  const std::string dir = argv[1];
  const int nodes_x = kCellsX + 1;
  auto node_at = [&](int i, int j) { return j * nodes_x + i + 1; };

  std::string nodes;
  std::string results_nodes;
  int node_count = 0;
  for (int j = 0; j <= kCellsY; ++j) {
    for (int i = 0; i <= kCellsX; ++i) {
      ++node_count;
      const double x = i * kCell;
      const double y = j * kCell;
      nodes += std::to_string(node_count) + std::string(",") + Number(x, 6) + std::string(",") + Number(y, 6) + ",0\n";
      results_nodes += std::string("node ") + std::to_string(node_count) + std::string(" ") + Scientific(Potential(x, y)) + "\n";
    }
  }

  std::string elements;
  std::string results_elements;
  int element_count = 0;
  auto add_element = [&](int type, Region region, std::vector<int> corners,
                         const std::vector<std::array<double, 2>>& points) {
    ++element_count;
    elements += std::to_string(element_count) + std::string(",") + std::to_string(type) + std::string(",") + std::to_string(region);
    for (int corner : corners) elements += std::string(",") + std::to_string(corner);
    elements += ",0\n";
    double cx = 0, cy = 0;
    for (const auto& p : points) cx += p[0], cy += p[1];
    cx /= static_cast<double>(points.size());
    cy /= static_cast<double>(points.size());
    double area = 0;  // mm^2, by the shoelace formula
    for (std::size_t k = 0; k < points.size(); ++k) {
      const auto& a = points[k];
      const auto& b = points[(k + 1) % points.size()];
      area += a[0] * b[1] - b[0] * a[1];
    }
    area = std::fabs(area) / 2;
    const auto b = FluxDensity(cx, cy);
    const std::string number = std::to_string(element_count);
    results_elements += "element " + number + std::string(" ") + Scientific(b[0]) + std::string(" ") + Scientific(b[1]) + " 0\n";
    results_elements += "centre " + number + std::string(" ") + Scientific(cx / 1000) + std::string(" ") + Scientific(cy / 1000) + " 0\n";
    results_elements += "volume " + number + std::string(" ") + Scientific(area * 1e-6) + "\n";
  };
  for (int j = 0; j < kCellsY; ++j) {
    for (int i = 0; i < kCellsX; ++i) {
      const double x0 = i * kCell, x1 = x0 + kCell, y0 = j * kCell, y1 = y0 + kCell;
      const Region region = RegionAt((x0 + x1) / 2, (y0 + y1) / 2);
      const int a = node_at(i, j), b = node_at(i + 1, j), c = node_at(i + 1, j + 1), d = node_at(i, j + 1);
      if (region == kAir) {
        add_element(203, region, {a, b, c}, {{x0, y0}, {x1, y0}, {x1, y1}});
        add_element(203, region, {a, c, d}, {{x0, y0}, {x1, y1}, {x0, y1}});
      } else {
        add_element(204, region, {a, b, c, d}, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
      }
    }
  }

  const std::string mesh = std::string("C-core actuator\nexported by make_example\nunits mm\n") + std::to_string(element_count) + std::string(",") + std::to_string(node_count) +
                           "\nNodes\n" + nodes + "End of nodes\nElements\n" + elements +
                           "End of elements\n";
  const std::string results = "# solver results of the C-core example: A in Wb/m per node,\n"
                              "# B in T, centre in m and area in m^2 per element\n" +
                              results_nodes + "node 0\n" + results_elements + "element 0\n";
  const bool ok = WriteText(dir + "/Ana.csv", kAnalysisSheet, true) &&
                  WriteText(dir + "/Prop.csv", kMaterialSheet, true) &&
                  WriteText(dir + "/Model.msh", mesh, true) &&
                  WriteText(dir + "/results.txt", results, false);
  if (!ok) {
    std::fprintf(stderr, "make_example: cannot write into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}

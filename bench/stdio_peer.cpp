// stdio_peer: the yardstick of the benchmarks. It does the work of sheetprep
// on the mesh and of sheetpost on the result streams the obvious way, with C
// stdio: the same reads through fgets/fscanf/fread with the same templates,
// the same records through fprintf, the second pass over the nodes. Its bytes
// need not match the programs' (C writes two-digit exponents and LF line
// ends); its work does. Text inputs are opened in text mode as a C runtime
// with CR LF files does it: CR LF reaches the reads as LF.
//
//   stdio_peer prep    in a directory holding Model.msh
//   stdio_peer post    in a directory holding Ana.csv, Model.msh and the .tmp files
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void Fail() { std::exit(1); }

// Text mode: a stream over the file that turns CR LF into LF.
struct TextMode {
  FILE* file;
  bool pending_cr = false;
};

ssize_t ReadText(void* cookie, char* out, size_t size) {
  TextMode& text = *static_cast<TextMode*>(cookie);
  size_t produced = 0;
  while (produced == 0) {
    char raw[65536];
    const size_t room = size < sizeof raw ? size : sizeof raw;
    const size_t got = std::fread(raw, 1, room - (text.pending_cr ? 1 : 0), text.file);
    if (got == 0) {
      if (text.pending_cr) out[produced++] = '\r', text.pending_cr = false;
      return static_cast<ssize_t>(produced);
    }
    size_t i = 0;
    if (text.pending_cr) {
      text.pending_cr = false;
      if (raw[0] != '\n') out[produced++] = '\r';
    }
    for (; i < got; ++i) {
      if (raw[i] == '\r') {
        if (i + 1 == got) {
          text.pending_cr = true;
          break;
        }
        if (raw[i + 1] == '\n') continue;
      }
      out[produced++] = raw[i];
    }
  }
  return static_cast<ssize_t>(produced);
}

int CloseText(void* cookie) {
  TextMode* text = static_cast<TextMode*>(cookie);
  const int result = std::fclose(text->file);
  delete text;
  return result;
}

FILE* OpenText(const char* name) {
  FILE* file = std::fopen(name, "rb");
  if (file == nullptr) return nullptr;
  cookie_io_functions_t functions{ReadText, nullptr, nullptr, CloseText};
  return fopencookie(new TextMode{file}, "r", functions);
}

int Prep() {
  char line[100];
  FILE* mesh = OpenText("Model.msh");
  FILE* control = std::fopen("t-cntl-data.txt", "w");
  if (mesh == nullptr || control == nullptr) Fail();
  for (int i = 0; i < 3; ++i) if (!std::fgets(line, sizeof line, mesh)) Fail();
  std::fprintf(control, "%10d%9d%9d\n", 1, 0, 0);
  int elements = 0, nodes = 0;
  char separator;
  if (std::fscanf(mesh, "%d%c%d", &elements, &separator, &nodes) != 3) Fail();
  if (!std::fgets(line, sizeof line, mesh)) Fail();
  std::fprintf(control, "%10d%9d%9d%9d%9d%9d\n", nodes + 1, elements + 1, 1, 1, 1, 1000);
  std::fclose(control);

  FILE* node_file = std::fopen("t-node-data.txt", "w");
  if (node_file == nullptr || !std::fgets(line, sizeof line, mesh)) Fail();
  double x_min = 0, x_max = 0, y_min = 0, y_max = 0;
  for (int i = 1; i <= nodes; ++i) {
    int own;
    char c1, c2, c3;
    double x, y;
    if (std::fscanf(mesh, "%d%c", &own, &separator) != 2) Fail();
    if (std::fscanf(mesh, "%lf%c%lf", &x, &separator, &y) != 3) Fail();
    if (std::fscanf(mesh, "%c", &c1) != 1 || std::fscanf(mesh, "%c", &c2) != 1 ||
        std::fscanf(mesh, "%c", &c3) != 1) Fail();
    std::fprintf(node_file, "%8d 0 % 1.7E % 1.7E % 1.7E\n", i, x / 1000.0, y / 1000.0, 0.0);
    if (i == 1) {
      x_min = x_max = x;
      y_min = y_max = y;
    } else {
      if (x < x_min) x_min = x;
      if (x > x_max) x_max = x;
      if (y < y_min) y_min = y;
      if (y > y_max) y_max = y;
    }
  }
  std::fprintf(node_file, "%d%2d %1.1E %1.1E %1.1E\n", 0, 0, 0.0, 0.0, 0.0);
  std::fclose(node_file);
  const double x_centre = (x_max + x_min) * 0.5, y_centre = (y_max + y_min) * 0.5;

  FILE* element_file = std::fopen("t-felm-data.txt", "w");
  if (element_file == nullptr) Fail();
  for (int i = 0; i < 2; ++i) if (!std::fgets(line, sizeof line, mesh)) Fail();
  for (int j = 1; j <= elements; ++j) {
    int own, type, region, n[4] = {0, 0, 0, 0}, last;
    if (std::fscanf(mesh, "%d%c", &own, &separator) != 2) Fail();
    if (std::fscanf(mesh, "%d%c%d", &type, &separator, &region) != 3) Fail();
    for (int k = 0; k < (type == 204 ? 4 : 3); ++k) {
      if (std::fscanf(mesh, "%c%d", &separator, &n[k]) != 2) Fail();
    }
    std::fprintf(element_file, "%8d%4d%6d\n", j, type, region);
    if (std::fscanf(mesh, "%c%d", &separator, &last) != 2) Fail();
    if (std::fscanf(mesh, "%c", &separator) != 1) Fail();
    if (type == 203) {
      std::fprintf(element_file, "%8d%8d%8d\n", n[0], n[1], n[2]);
    } else {
      std::fprintf(element_file, "%8d%8d%8d%8d\n", n[0], n[1], n[2], n[3]);
    }
  }
  std::fprintf(element_file, "0 0 0\n");
  std::fclose(mesh);
  std::fclose(element_file);

  // The second pass: the node farthest from the centre.
  mesh = OpenText("Model.msh");
  if (mesh == nullptr) Fail();
  for (int i = 0; i < 3; ++i) if (!std::fgets(line, sizeof line, mesh)) Fail();
  if (std::fscanf(mesh, "%d%c%d", &elements, &separator, &nodes) != 3) Fail();
  for (int i = 0; i < 2; ++i) if (!std::fgets(line, sizeof line, mesh)) Fail();
  int fixed_node = 0;
  double largest = 0;
  for (int i = 1; i <= nodes; ++i) {
    int own;
    char c1, c2, c3;
    double x, y;
    if (std::fscanf(mesh, "%d%c", &own, &separator) != 2) Fail();
    if (std::fscanf(mesh, "%lf%c%lf", &x, &separator, &y) != 3) Fail();
    if (std::fscanf(mesh, "%c", &c1) != 1 || std::fscanf(mesh, "%c", &c2) != 1 ||
        std::fscanf(mesh, "%c", &c3) != 1) Fail();
    const double d = std::sqrt(std::pow(x - x_centre, 2) + std::pow(y - y_centre, 2));
    if (i == 1 || d > largest) fixed_node = i, largest = d;
  }
  std::fclose(mesh);
  FILE* fixed = std::fopen("t-fixc-data.txt", "w");
  if (fixed == nullptr) Fail();
  std::fprintf(fixed, "%d%2d %1.1lf %1.1lf%2d%2d %1.1lf\n%9d %1.1lf %1.1lf%2d %1.1lf\n", 0, 0, 0.0,
               0.0, 0, 0, 0.0, fixed_node, 0.0, 0.0, 0, 0.0);
  std::fprintf(fixed, "%d %1.1lf %1.1lf%2d %1.1lf\n", 0, 0.0, 0.0, 0, 0.0);
  std::fclose(fixed);
  return 0;
}

int Post() {
  char title[100];
  FILE* ana = OpenText("Ana.csv");
  if (ana == nullptr || !std::fgets(title, sizeof title, ana)) Fail();
  std::fclose(ana);
  FILE* mesh = OpenText("Model.msh");
  char line[100];
  if (mesh == nullptr) Fail();
  for (int i = 0; i < 3; ++i) if (!std::fgets(line, sizeof line, mesh)) Fail();
  int elements = 0, nodes = 0;
  char separator;
  if (std::fscanf(mesh, "%d%c%d", &elements, &separator, &nodes) != 3) Fail();
  std::fclose(mesh);
  const long long element_bound = elements + 1LL, node_bound = nodes + 1LL;
  FILE* post = std::fopen("Model_post.pst", "w");
  if (post == nullptr) Fail();
  std::fprintf(post, "TITL\n%sGVAL\n", title);
  FILE* node_results = std::fopen("at-nresl-struct.tmp", "rb");
  if (node_results == nullptr) Fail();
  struct NodeRecord { int number; int fill; double value; } node{};
  for (long long k = 0; k < node_bound; ++k) {
    if (std::fread(&node, 16, 1, node_results) != 1) Fail();
    if (node.number == 0) break;
    if (node.number > node_bound) Fail();
    std::fprintf(post, "%5d\n % 1.5E\n", node.number, node.value);
  }
  std::fclose(node_results);
  std::fprintf(post, "%5d\n%12d\nEVAL\n", -1, 0);
  FILE* results = std::fopen("at-eresl-struct.tmp", "rb");
  FILE* centres = std::fopen("t-felm-cntr.tmp", "rb");
  FILE* volumes = std::fopen("t-felm-vole.tmp", "rb");
  if (results == nullptr || centres == nullptr || volumes == nullptr) Fail();
  unsigned char record[112];
  for (long long k = 0; k < element_bound; ++k) {
    if (std::fread(record, 112, 1, results) != 1) Fail();
    int number;
    double v[3];
    std::memcpy(&number, record, 4);
    std::memcpy(v, record + 16, 24);
    if (number == 0) break;
    if (number > element_bound) Fail();
    int centre_number, volume_number;
    double centre[3], volume;
    if (std::fread(&centre_number, 4, 1, centres) != 1 || centre_number == 0) Fail();
    if (std::fread(centre, 8, 3, centres) != 3) Fail();
    if (std::fread(&volume_number, 4, 1, volumes) != 1 || volume_number == 0) Fail();
    if (std::fread(&volume, 8, 1, volumes) != 1) Fail();
    const double magnitude = std::sqrt((v[0] * v[0] + v[1] * v[1]) + v[2] * v[2]);
    std::fprintf(post,
                 "%5d\n % 1.5E, % 1.5E, % 1.5E, % 1.5E, % 1.5E, % 1.5E, % 1.5E, % 1.5E,% 1.5E\n",
                 number, v[0], v[1], v[2], magnitude, centre[0], centre[1], centre[2], volume, 0.0);
  }
  std::fprintf(post, "%5d\n%3d,%3d,%3d,%3d,%3d,%3d,%3d,%3d,%3d\n", -1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  std::fclose(results);
  std::fclose(centres);
  std::fclose(volumes);
  std::fclose(post);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "prep") == 0) return Prep();
  if (argc == 2 && std::strcmp(argv[1], "post") == 0) return Post();
  std::fputs("usage: stdio_peer prep|post\n", stderr);
  return 2;
}

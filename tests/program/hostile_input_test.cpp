// Hostile input on the example model: counts that claim 2147483647 nodes,
// elements or rows in a short file, lines of megabytes, binary junk and NUL
// bytes in every text input, 0x1A in the middle of a line, result files of
// random bytes. Each case changes one or two input files of the example.
// No run may crash or hang (a watchdog ends it), a count never makes memory
// grow before the records it counts are there, and the exit status is 1
// exactly where the input does not fit its format; where it still fits, the
// outputs are those of the unchanged example (or say how they differ).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <map>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/test_dir.h"

namespace sheet::testing {
namespace {

const std::string kModel = std::string(EXAMPLES_DIR) + "/model";
const std::vector<std::string> kPrepOutputs = {
    "t-dimension-data.txt", "ch-curr-data.txt", "g-belm-data.txt", "g-celm-data.txt",
    "t-lcs-data.txt",       "bh-table-data.txt", "t-cntl-data.txt", "t-node-data.txt",
    "t-felm-data.txt",      "t-prop-data.txt",  "t-fixc-data.txt"};
const std::vector<std::string> kResultFiles = {"at-nresl-struct.tmp", "at-eresl-struct.tmp",
                                               "t-felm-cntr.tmp", "t-felm-vole.tmp"};
const std::string kPostFile = "Model_post.pst";

constexpr std::size_t kMegabytes = std::size_t{4} << 20;
// Far more than any run here needs, even under the sanitizers; a run that
// loops over a count it was given instead of the records there would not
// end in it.
constexpr unsigned kWatchdogSeconds = 20;
// What a failed run may use beyond a complete run of the unchanged example.
constexpr long kMemoryMarginKib = 8 * 1024;

// ---- making hostile bytes ---------------------------------------------------

// `text` with its first `from` replaced; a `from` that is not there fails the
// test, so that a case cannot silently test the unchanged file.
std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  if (at == std::string::npos) {
    ADD_FAILURE() << "\"" << from << "\" is not in the file";
    return text;
  }
  return text.replace(at, from.size(), to);
}

std::string EveryByte(std::string text, char from, char to) {
  for (char& c : text) {
    if (c == from) c = to;
  }
  return text;
}

// Bytes from a fixed seed, so that every run sees the same ones. Line-safe
// bytes hold no line end and no 0x1A, and so stay within one line.
std::string Junk(std::size_t size, unsigned seed, bool line_safe = false) {
  std::mt19937 generator(seed);
  std::string bytes;
  while (bytes.size() < size) {
    const char c = static_cast<char>(generator() & 0xFF);
    if (line_safe && (c == '\n' || c == '\r' || c == '\x1A')) continue;
    bytes += c;
  }
  return bytes;
}

const std::string kTitle = "C-core actuator with magnet and coil,,,,,";

// Prop.csv with a NUL byte for every separator that the reader takes as a
// single character; the commas that end the name and the fourth field stay.
std::string PropWithNulSeparators(const std::string& text) {
  std::string out;
  int comma = 0;
  bool head_line = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (i == 0 || text[i - 1] == '\n') {
      comma = 0;
      head_line = text.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ", i) < text.find('\n', i);
    }
    if (c != ',') {
      out += c;
      continue;
    }
    ++comma;
    // Head line: number, name, count, fourth field; point line: index, first, second.
    const bool single_character = head_line ? (comma == 1 || comma == 3) : comma <= 2;
    out += single_character ? '\0' : ',';
  }
  return out;
}

// Every record of a binary file with the bytes [from, to) set to `byte`.
std::string FillRecords(std::string bytes, std::size_t record, std::size_t from, std::size_t to, char byte) {
  for (std::size_t start = 0; start + record <= bytes.size(); start += record) {
    for (std::size_t i = from; i < to; ++i) bytes[start + i] = byte;
  }
  return bytes;
}

// ---- the post file when it differs from a lone run's ----------------------

std::string WithTitle(const std::string& post, const std::string& title) {
  const std::size_t gval = post.find("GVAL\r\n");
  return "TITL\r\n" + title + post.substr(gval);
}

// ---- the cases --------------------------------------------------------------

using Edit = std::string (*)(const std::string& original);

struct FileEdit {
  const char* file = nullptr;
  Edit edit = nullptr;
};

struct HostileCase {
  const char* name;
  bool post;  // sheetpost, else sheetprep
  FileEdit first;
  FileEdit second;
  int exit_status;
  const char* failing_file;  // the file the -v message names, when the run fails
  bool flat_memory;          // compared with a complete run of the unchanged example
  // sheetpost's output from a lone run's when the run completes but writes
  // something else; nullptr: the same.
  std::string (*post_file)(const std::string& lone) = nullptr;
};

std::ostream& operator<<(std::ostream& out, const HostileCase& c) { return out << c.name; }

constexpr bool kPrep = false;
constexpr bool kPost = true;
constexpr bool kFlat = true;
constexpr bool kAny = false;

const HostileCase kCases[] = {
    // Counts that claim far more than the file holds.
    {"MeshClaimsInt32MaxNodes", kPrep,
     {"Model.msh", [](const std::string& s) { return Replace(s, "\r\n1962,1271\r\n", "\r\n1962,2147483647\r\n"); }},
     {}, 1, "Model.msh", kFlat},
    {"MeshClaimsInt32MaxElements", kPrep,
     {"Model.msh", [](const std::string& s) { return Replace(s, "\r\n1962,1271\r\n", "\r\n2147483647,1271\r\n"); }},
     {}, 1, "Model.msh", kFlat},
    // The largest counts whose control values still fit in 32 bits.
    {"MeshClaimsTheLargestNodeCountThatFits", kPrep,
     {"Model.msh", [](const std::string& s) { return Replace(s, "\r\n1962,1271\r\n", "\r\n1962,21474835\r\n"); }},
     {}, 1, "Model.msh", kFlat},
    {"MeshClaimsTheLargestElementCountThatFits", kPrep,
     {"Model.msh", [](const std::string& s) { return Replace(s, "\r\n1962,1271\r\n", "\r\n214748363,1271\r\n"); }},
     {}, 1, "Model.msh", kFlat},
    {"AnalysisSheetClaimsInt32MaxRegionRows", kPrep,
     {"Ana.csv", [](const std::string& s) { return Replace(s, "\r\n6\r\n", "\r\n2147483647\r\n"); }},
     {}, 1, "Ana.csv", kFlat},
    // Every material is found, but the row count does not fit the control file.
    {"MaterialSheetClaimsInt32MaxRows", kPrep,
     {"Prop.csv", [](const std::string& s) { return Replace(s, "5\r\n", "2147483647\r\n"); }},
     {}, 1, "Prop.csv", kFlat},
    {"UsedMaterialRowClaimsInt32MaxPoints", kPrep,
     {"Prop.csv", [](const std::string& s) { return Replace(s, "1,Air,2,", "1,Air,2147483647,"); }},
     {}, 1, "Prop.csv", kFlat},
    {"SkippedMaterialRowClaimsInt32MaxPoints", kPrep,
     {"Prop.csv", [](const std::string& s) { return Replace(s, "5\r\n", "6\r\n9,Unused,2147483647,none,\r\n"); }},
     {}, 1, "Prop.csv", kFlat},
    // sheetpost only bounds the records by the counts: with the end markers
    // in place the post file is complete.
    {"PostMeshClaimsInt32MaxCounts", kPost,
     {"Model.msh", [](const std::string& s) { return Replace(s, "\r\n1962,1271\r\n", "\r\n2147483647,2147483647\r\n"); }},
     {}, 0, nullptr, kFlat},
    {"PostNodeResultsEndEarlyUnderInt32MaxCounts", kPost,
     {"Model.msh", [](const std::string& s) { return Replace(s, "\r\n1962,1271\r\n", "\r\n2147483647,2147483647\r\n"); }},
     {"at-nresl-struct.tmp", [](const std::string& s) { return s.substr(0, s.size() - 16 - 5); }},
     1, "at-nresl-struct.tmp", kFlat},
    {"PostRandomNodeResultsUnderInt32MaxCounts", kPost,
     {"Model.msh", [](const std::string& s) { return Replace(s, "\r\n1962,1271\r\n", "\r\n2147483647,2147483647\r\n"); }},
     {"at-nresl-struct.tmp", [](const std::string&) { return Junk(4099, 11); }},
     1, "at-nresl-struct.tmp", kFlat},
    {"PostMeshClaimsInt32MinCounts", kPost,
     {"Model.msh", [](const std::string& s) { return Replace(s, "\r\n1962,1271\r\n", "\r\n-2147483648,-2147483648\r\n"); }},
     {}, 0, nullptr, kFlat,
     [](const std::string& lone) {
       return lone.substr(0, lone.find("GVAL\r\n") + 6) +
              "   -1\r\n           0\r\nEVAL\r\n   -1\r\n  0,  0,  0,  0,  0,  0,  0,  0,  0\r\n";
     }},

    // Lines of megabytes.
    {"AnalysisSheetIsOneLineOfMegabytes", kPrep,
     {"Ana.csv", [](const std::string&) { return std::string(kMegabytes, 'x'); }}, {}, 1, "Ana.csv", kAny},
    {"TitleOfMegabytes", kPrep,
     {"Ana.csv", [](const std::string& s) { return Replace(s, kTitle, std::string(kMegabytes, 'T')); }},
     {}, 1, "Ana.csv", kAny},
    {"KindTextOfMegabytesToTheEnd", kPrep,
     {"Ana.csv", [](const std::string& s) { return s.substr(0, s.find("AIR")) + std::string(kMegabytes, 'K'); }},
     {}, 1, "Ana.csv", kAny},
    {"RegionRowCountOfMegabytesOfDigits", kPrep,
     {"Ana.csv", [](const std::string& s) { return Replace(s, "\r\n6\r\n", "\r\n" + std::string(kMegabytes, '0') + "6\r\n"); }},
     {}, 0, nullptr, kAny},
    {"RegionRowCountBeyond32Bits", kPrep,
     {"Ana.csv", [](const std::string& s) { return Replace(s, "\r\n6\r\n", "\r\n" + std::string(kMegabytes, '1') + "\r\n"); }},
     {}, 1, "Ana.csv", kAny},
    // A name is skipped up to its comma, however long it is.
    {"MaterialNameOfMegabytes", kPrep,
     {"Prop.csv", [](const std::string& s) { return Replace(s, "1,Air,", "1," + std::string(kMegabytes, 'A') + ","); }},
     {}, 0, nullptr, kAny},
    // Material 1's row is used whole, but skipped by line reads for the
    // others, which then lose their place in the long line.
    {"PointLineOfMegabytesInASkippedRow", kPrep,
     {"Prop.csv", [](const std::string& s) { return Replace(s, "2,1000000,1.2566\r\n", "2,1000000,1.2566" + std::string(kMegabytes, ',') + "\r\n"); }},
     {}, 1, "Prop.csv", kAny},
    // The last point of the hysteresis material: its rest is one line read.
    {"LastHysteresisPointLineOfMegabytes", kPrep,
     {"Prop.csv", [](const std::string& s) { return Replace(s, "6,10000,1.8,9500,1.79\r\n", "6,10000,1.8,9500,1.79" + std::string(kMegabytes, ',')); }},
     {}, 0, nullptr, kAny},
    {"MeshHeaderLineOfMegabytes", kPrep,
     {"Model.msh", [](const std::string& s) { return Replace(s, "C-core actuator\r\n", std::string(kMegabytes, 'H') + "\r\n"); }},
     {}, 1, "Model.msh", kAny},
    {"CoordinateOfMegabytesOfDigits", kPrep,
     {"Model.msh", [](const std::string& s) { return Replace(s, "\r\n1,0.000000,", "\r\n1,0." + std::string(kMegabytes, '0') + ","); }},
     {}, 0, nullptr, kAny},
    {"MegabytesAfterTheLastElementLine", kPrep,
     {"Model.msh", [](const std::string& s) { return s + std::string(kMegabytes, 'x'); }}, {}, 0, nullptr, kAny},
    {"PostTitleOfMegabytes", kPost,
     {"Ana.csv", [](const std::string& s) { return Replace(s, kTitle, std::string(kMegabytes, 'T')); }},
     {}, 0, nullptr, kAny,
     [](const std::string& lone) { return WithTitle(lone, std::string(99, 'T')); }},
    {"PostMeshHeaderLineOfMegabytes", kPost,
     {"Model.msh", [](const std::string& s) { return Replace(s, "C-core actuator\r\n", std::string(kMegabytes, 'H') + "\r\n"); }},
     {}, 1, "Model.msh", kAny},

    // Binary junk and NUL bytes.
    {"BinaryJunkInTheTitle", kPrep,
     {"Ana.csv", [](const std::string& s) { return Replace(s, kTitle, std::string(1, '\0') + Junk(90, 1, true)); }},
     {}, 0, nullptr, kAny},
    {"BinaryJunkAfterTheKeywordLine", kPrep,
     {"Ana.csv", [](const std::string& s) { return s.substr(0, s.find("\r\n6\r\n") + 2) + "\x01" + Junk(65536, 2); }},
     {}, 1, "Ana.csv", kAny},
    {"NulSeparatorsInTheAnalysisSheet", kPrep,
     {"Ana.csv", [](const std::string& s) {
        // Each separator but the comma that ends a kind text.
        std::string out = EveryByte(s, ',', '\0');
        for (const std::string kind : {"AIR", "IRON", "COIL", "PMAG", "HYST"}) {
          for (std::size_t at = 0; (at = out.find(kind + '\0', at)) != std::string::npos; ++at) {
            out[at + kind.size()] = ',';
          }
        }
        return out;
      }},
     {}, 0, nullptr, kAny},
    {"BinaryJunkInTheMaterialSheet", kPrep,
     {"Prop.csv", [](const std::string&) { return "5\r\n\x01" + Junk(65536, 3); }}, {}, 1, "Prop.csv", kAny},
    {"NulSeparatorsInTheMaterialSheet", kPrep, {"Prop.csv", PropWithNulSeparators}, {}, 0, nullptr, kAny},
    {"BinaryJunkInTheMeshHeader", kPrep,
     {"Model.msh", [](const std::string& s) {
        return Junk(90, 4, true) + "\r\n" + Junk(90, 5, true) + '\0' + "\r\n" + Junk(90, 6, true) +
               s.substr(s.find("\r\n1962,1271\r\n"));
      }},
     {}, 0, nullptr, kAny},
    {"BinaryJunkInTheNodeBlock", kPrep,
     {"Model.msh", [](const std::string& s) { return Replace(s, "\r\n100,", "\r\n\x01" + Junk(65536, 7)); }},
     {}, 1, "Model.msh", kAny},
    {"NulSeparatorsInTheMesh", kPrep,
     {"Model.msh", [](const std::string& s) { return EveryByte(s, ',', '\0'); }}, {}, 0, nullptr, kAny},
    {"PostTitleWithANulByte", kPost,
     {"Ana.csv", [](const std::string& s) { return Replace(s, "C-core actuator", std::string("C-core\0actuator", 15)); }},
     {}, 0, nullptr, kAny,
     // The title is text up to its first zero byte.
     [](const std::string& lone) { return WithTitle(lone, "C-core"); }},
    {"PostNulSeparatorInTheCounts", kPost,
     {"Model.msh", [](const std::string& s) { return Replace(s, "\r\n1962,1271\r\n", std::string("\r\n1962\0" "1271\r\n", 13)); }},
     {}, 0, nullptr, kAny},
    {"PostBinaryJunkInTheCounts", kPost,
     {"Model.msh", [](const std::string& s) { return s.substr(0, s.find("1962,1271")) + "\x01" + Junk(65536, 8); }},
     {}, 1, "Model.msh", kAny},

    // 0x1A ends a text file wherever it stands.
    {"EndOfFileCharacterInTheTitle", kPrep,
     {"Ana.csv", [](const std::string& s) { return Replace(s, "actuator", "act\x1A" "uator"); }},
     {}, 1, "Ana.csv", kAny},
    // The rest of a hysteresis point line is one line read, whose end of file
    // is no failure.
    {"EndOfFileCharacterInTheLastHysteresisPoint", kPrep,
     {"Prop.csv", [](const std::string& s) { return Replace(s, "6,10000,1.8,9500", "6,10000,1.8\x1A,9500"); }},
     {}, 0, nullptr, kAny},
    {"EndOfFileCharacterInAPointLine", kPrep,
     {"Prop.csv", [](const std::string& s) { return Replace(s, "2,100,0.45", "2,10\x1A" "0,0.45"); }},
     {}, 1, "Prop.csv", kAny},
    {"EndOfFileCharacterInANodeLine", kPrep,
     {"Model.msh", [](const std::string& s) { return Replace(s, "\r\n5,8.000000,", "\r\n5,8.00\x1A" "0000,"); }},
     {}, 1, "Model.msh", kAny},
    {"EndOfFileCharacterInTheLastElementLine", kPrep,
     {"Model.msh", [](const std::string& s) { return Replace(s, "1271,1270,0\r\nEnd of elements", "1271,12\x1A" "70,0\r\nEnd of elements"); }},
     {}, 1, "Model.msh", kAny},
    {"PostEndOfFileCharacterInTheTitle", kPost,
     {"Ana.csv", [](const std::string& s) { return Replace(s, "actuator", "act\x1A" "uator"); }},
     {}, 0, nullptr, kAny,
     [](const std::string& lone) { return WithTitle(lone, "C-core act"); }},
    // The result files are binary: 0x1A is a byte like any other.
    {"PostEndOfFileBytesInResultRecords", kPost,
     {"at-nresl-struct.tmp", [](const std::string& s) { return FillRecords(s, 16, 4, 8, '\x1A'); }},
     {"at-eresl-struct.tmp", [](const std::string& s) { return FillRecords(s, 112, 40, 112, '\x1A'); }},
     0, nullptr, kAny},

    // Result files of random bytes.
    {"PostRandomNodeResults", kPost,
     {"at-nresl-struct.tmp", [](const std::string&) { return Junk(4096, 21); }}, {}, 1, "at-nresl-struct.tmp", kAny},
    {"PostRandomElementResults", kPost,
     {"at-eresl-struct.tmp", [](const std::string&) { return Junk(4096, 22); }}, {}, 1, "at-eresl-struct.tmp", kAny},
    {"PostRandomCentres", kPost,
     {"t-felm-cntr.tmp", [](const std::string&) { return Junk(4097, 23); }}, {}, 1, "t-felm-cntr.tmp", kAny},
    {"PostRandomVolumes", kPost,
     {"t-felm-vole.tmp", [](const std::string&) { return Junk(4095, 24); }}, {}, 1, "t-felm-vole.tmp", kAny},
};

// ---- the runs -----------------------------------------------------------------

class HostileInput : public ::testing::TestWithParam<HostileCase> {
 protected:
  static void SetUpTestSuite() {
    example_ = new std::map<std::string, std::string>;
    for (const std::string name : {"Ana.csv", "Prop.csv", "Model.msh"}) {
      (*example_)[name] = ReadFile(kModel + "/" + name);
    }
    TempDir dir;
    const RunResult solver =
        RunIn(dir.path(), std::string(TOOLS_DIR) + "/make_results", {kModel + "/results.txt"});
    ASSERT_EQ(solver.exit_status, 0) << solver.standard_error;
    for (const auto& name : kResultFiles) (*example_)[name] = dir.Read(name);
  }
  static void TearDownTestSuite() { delete example_; }

  static void WriteExample(const TempDir& dir) {
    for (const auto& [name, bytes] : *example_) dir.Write(name, bytes);
  }

  static RunResult Run(const TempDir& dir, bool post, bool measure_memory) {
    RunConditions conditions;
    conditions.time_limit_seconds = kWatchdogSeconds;
    conditions.measure_peak_memory = measure_memory;
    return RunIn(dir.path(), post ? SHEETPOST_PATH : SHEETPREP_PATH, {"-v"}, conditions);
  }

  static std::map<std::string, std::string>* example_;
};

std::map<std::string, std::string>* HostileInput::example_ = nullptr;

TEST_P(HostileInput, EndsCleanlyWithTheRightStatus) {
  const HostileCase& c = GetParam();
  const std::string program = c.post ? "sheetpost" : "sheetprep";
  TempDir dir;
  WriteExample(dir);
  for (const FileEdit& edit : {c.first, c.second}) {
    if (edit.file != nullptr) dir.Write(edit.file, edit.edit(example_->at(edit.file)));
  }

  const RunResult run = Run(dir, c.post, c.flat_memory);
  ASSERT_EQ(run.signal, 0) << program << (run.signal == SIGALRM ? " hung" : " crashed") << " (signal "
                           << run.signal << ")\n"
                           << run.standard_error;
  EXPECT_EQ(run.exit_status, c.exit_status) << run.standard_error;
  if (c.exit_status == 1) {
    // One line, naming the file that does not fit.
    EXPECT_EQ(run.standard_error.rfind(program + ": " + c.failing_file + ":", 0), 0u) << run.standard_error;
    EXPECT_EQ(run.standard_error.find('\n'), run.standard_error.size() - 1) << run.standard_error;
  } else if (c.post) {
    const std::string lone = ReadFile(kModel + "/expected/" + kPostFile);
    EXPECT_TRUE(dir.Read(kPostFile) == (c.post_file != nullptr ? c.post_file(lone) : lone))
        << kPostFile << " differs";
  } else {
    for (const auto& name : kPrepOutputs) {
      EXPECT_TRUE(dir.Read(name) == ReadFile(kModel + "/expected/" + name)) << name << " differs";
    }
  }

  if (c.flat_memory) {
    if (run.peak_memory_kib < 0) {
      GTEST_SKIP() << "peak memory is not measured here (no tracing, or a sanitizer build)";
    }
    // A complete run of the unchanged example, measured the same way.
    TempDir plain;
    WriteExample(plain);
    const RunResult complete = Run(plain, c.post, true);
    ASSERT_EQ(complete.exit_status, 0);
    EXPECT_LE(run.peak_memory_kib, complete.peak_memory_kib + kMemoryMarginKib)
        << "a complete run peaks at " << complete.peak_memory_kib << " KiB";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileInput, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sheet::testing

// sheetpost run in a fresh directory: the title of Ana.csv, the counts of
// Model.msh and the four result files in, Model_post.pst out, compared byte
// for byte. The result files are built here byte by byte, little-endian.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "tests/support/test_dir.h"

namespace sheet::testing {
namespace {

// ---- the solver's records -------------------------------------------------

std::string Int32(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::string bytes;
  for (int b = 0; b < 4; ++b) bytes += static_cast<char>(bits >> (8 * b) & 0xFF);
  return bytes;
}

std::string Real(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  std::string bytes;
  for (int b = 0; b < 8; ++b) bytes += static_cast<char>(bits >> (8 * b) & 0xFF);
  return bytes;
}

// 16 bytes: number, 4 bytes fill, value.
std::string NodeRecord(std::int32_t number, double value = 0.0, char fill = '\0') {
  return Int32(number) + std::string(4, fill) + Real(value);
}

// 112 bytes: number, 12 unused, x, y, z at 16, 24, 32, 72 unused.
std::string ElementRecord(std::int32_t number, double x = 0.0, double y = 0.0, double z = 0.0,
                          char fill = '\0') {
  return Int32(number) + std::string(12, fill) + Real(x) + Real(y) + Real(z) + std::string(72, fill);
}

// 28 bytes, packed.
std::string CentreRecord(std::int32_t number, double a, double b, double c) {
  return Int32(number) + Real(a) + Real(b) + Real(c);
}

// 12 bytes, packed.
std::string VolumeRecord(std::int32_t number, double volume) { return Int32(number) + Real(volume); }

// ---- the expected post file -----------------------------------------------

std::string Number5(long long number) {
  std::string text = std::to_string(number);
  return std::string(text.size() < 5 ? 5 - text.size() : 0, ' ') + text;
}

std::string Head(const std::string& title = "Model A,,,\n") { return "TITL\n" + title + "GVAL\n"; }
std::string NodeText(long long number, const std::string& value) {
  return Number5(number) + "\n " + value + "\n";
}
std::string ElementText(long long number, const std::string& values) {
  return Number5(number) + "\n " + values + "\n";
}
const std::string kNodeEnd = "   -1\n           0\nEVAL\n";
const std::string kElementEnd = "   -1\n  0,  0,  0,  0,  0,  0,  0,  0,  0\n";

// The element of the sample: vector (0.6, 0.8, 0.0), centre (0.01, 0.02, 0.0),
// volume 5e-5.
std::string SampleElement(std::int32_t number) { return ElementRecord(number, 0.6, 0.8, 0.0); }
std::string SampleCentre(std::int32_t number) { return CentreRecord(number, 0.01, 0.02, 0.0); }
std::string SampleVolume(std::int32_t number) { return VolumeRecord(number, 5e-5); }
const std::string kSampleValues =
    " 6.00000E-001,  8.00000E-001,  0.00000E+000,  1.00000E+000,  1.00000E-002,  2.00000E-002,  "
    "0.00000E+000,  5.00000E-005, 0.00000E+000";

// Elements 1..count of the sample, their centres and volumes, and the post
// records they give.
struct SampleElements {
  std::string results, centres, volumes, post;
};
SampleElements SampleElementsUpTo(int count) {
  SampleElements e;
  for (int k = 1; k <= count; ++k) {
    e.results += SampleElement(k);
    e.centres += SampleCentre(k);
    e.volumes += SampleVolume(k);
    e.post += ElementText(k, kSampleValues);
  }
  return e;
}

const char* const kNodeFile = "at-nresl-struct.tmp";
const char* const kElementFile = "at-eresl-struct.tmp";
const char* const kCentreFile = "t-felm-cntr.tmp";
const char* const kVolumeFile = "t-felm-vole.tmp";
const char* const kPostFile = "Model_post.pst";

class Post : public ::testing::Test {
 protected:
  // The sample: title "Model A,,,", one element, two nodes.
  void SetUp() override {
    dir.Write("Ana.csv", "Model A,,,\r\n2DIM\r\n1\r\n1,,1,2,\r\n0\r\n");
    Counts("1,2");
    dir.Write(kNodeFile, NodeRecord(1, 1.0e-3) + NodeRecord(2, -2.5e-4) + NodeRecord(0));
    dir.Write(kElementFile, SampleElement(1) + ElementRecord(0));
    dir.Write(kCentreFile, SampleCentre(1));
    dir.Write(kVolumeFile, SampleVolume(1));
  }

  // Model.msh with the given counts line; the blocks after it are never read.
  void Counts(const std::string& counts_line) {
    dir.Write("Model.msh", "MESH\r\nfrom the mesher\r\n\r\n" + counts_line + "\r\n\r\n1,0.0,0.0,0\r\n");
  }

  void WriteElements(const SampleElements& e, const std::string& end = ElementRecord(0)) {
    dir.Write(kElementFile, e.results + end);
    dir.Write(kCentreFile, e.centres);
    dir.Write(kVolumeFile, e.volumes);
  }

  RunResult Run(const std::vector<std::string>& arguments = {}) {
    return RunIn(dir.path(), SHEETPOST_PATH, arguments);
  }

  // Runs and expects the exit status and the whole post file.
  void ExpectRun(int exit_status, const std::string& post) {
    const RunResult result = Run();
    EXPECT_EQ(result.exit_status, exit_status);
    EXPECT_EQ(result.standard_output, "");
    EXPECT_EQ(result.standard_error, "");
    EXPECT_EQ(dir.Read(kPostFile), Crlf(post));
  }

  const std::string kSampleNodes = NodeText(1, " 1.00000E-003") + NodeText(2, "-2.50000E-004");

  TempDir dir;
};

TEST_F(Post, WritesTheSamplePostFile) {
  ExpectRun(0,
            "TITL\n"
            "Model A,,,\n"
            "GVAL\n"
            "    1\n"
            "  1.00000E-003\n"
            "    2\n"
            " -2.50000E-004\n"
            "   -1\n"
            "           0\n"
            "EVAL\n"
            "    1\n"
            "  6.00000E-001,  8.00000E-001,  0.00000E+000,  1.00000E+000,  1.00000E-002,  "
            "2.00000E-002,  0.00000E+000,  5.00000E-005, 0.00000E+000\n"
            "   -1\n"
            "  0,  0,  0,  0,  0,  0,  0,  0,  0\n");
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"Ana.csv", "Model.msh", kPostFile, kElementFile,
                                                  kNodeFile, kCentreFile, kVolumeFile}));
}

TEST_F(Post, WritesEveryRealAsReadAndOnlyComputesTheMagnitude) {
  dir.Write(kNodeFile, NodeRecord(1, 1.140625) + NodeRecord(2, -0.0) + NodeRecord(0));
  dir.Write(kElementFile, ElementRecord(1, 3.0, -4.0, 12.0) + ElementRecord(0));
  dir.Write(kCentreFile, CentreRecord(1, -1.5e-300, 2.5e300, 123456789.0));
  dir.Write(kVolumeFile, VolumeRecord(1, 4.9e-324));
  ExpectRun(0, Head() + NodeText(1, " 1.14063E+000") + NodeText(2, "-0.00000E+000") + kNodeEnd +
                   ElementText(1, " 3.00000E+000, -4.00000E+000,  1.20000E+001,  1.30000E+001, "
                                  "-1.50000E-300,  2.50000E+300,  1.23457E+008,  4.94066E-324, "
                                  "0.00000E+000") +
                   kElementEnd);
}

TEST_F(Post, WritesNonFiniteRealsAsTheCConversionDoes) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Counts("1,4");
  dir.Write(kNodeFile, NodeRecord(1, inf) + NodeRecord(2, -inf) + NodeRecord(3, nan) +
                           NodeRecord(4, -nan) + NodeRecord(0));
  dir.Write(kElementFile, ElementRecord(1, -inf, 0.0, 0.0) + ElementRecord(0));
  dir.Write(kCentreFile, CentreRecord(1, nan, 0.0, 0.0));
  ExpectRun(0, Head() + NodeText(1, " INF") + NodeText(2, "-INF") + NodeText(3, " NAN") +
                   NodeText(4, "-NAN") + kNodeEnd +
                   ElementText(1, "-INF,  0.00000E+000,  0.00000E+000,  INF,  NAN,  0.00000E+000,  "
                                  "0.00000E+000,  5.00000E-005, 0.00000E+000") +
                   kElementEnd);
}

// ---- the title --------------------------------------------------------------

struct TitleCase {
  const char* name;
  std::string ana;    // the bytes of Ana.csv
  std::string title;  // what stands between "TITL\n" and "GVAL"
};

void PrintTo(const TitleCase& c, std::ostream* out) { *out << c.name; }

class PostTitle : public Post, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(PostTitle, StandsAsRead) {
  dir.Write("Ana.csv", GetParam().ana);
  ExpectRun(0, "TITL\n" + GetParam().title + "GVAL\n" + kSampleNodes + kNodeEnd +
                   ElementText(1, kSampleValues) + kElementEnd);
}

const std::string k98(98, 't');
const std::string k99 = std::string(98, 't') + 'u';

INSTANTIATE_TEST_SUITE_P(
    Cases, PostTitle,
    ::testing::Values(
        TitleCase{"NinetyEightCharacters", k98 + "\r\n2DIM\r\n", k98 + "\n"},
        // 99 characters fill the line read: the line end stays unread.
        TitleCase{"NinetyNineCharacters", k99 + "\r\n2DIM\r\n", k99},
        TitleCase{"LongerLineIsCut", k99 + "vwxyz\r\n", k99},
        TitleCase{"NoLineEnd", "Model B", "Model B"},
        TitleCase{"LineFeedAlone", "Model C\n2DIM\n", "Model C\n"},
        TitleCase{"LoneCarriageReturnIsText", "A\rB\r\n", "A\rB\n"},
        TitleCase{"EmptyFirstLine", "\r\nModel D\r\n", "\n"},
        // "%s" stops at a zero byte.
        TitleCase{"ZeroByteEndsTheText", std::string("Mod\0el E\r\n", 10), "Mod"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- failures before the post file is opened -------------------------------

struct EarlyFailureCase {
  const char* name;
  const char* file;      // the file to replace, or to remove when bytes is null
  const char* bytes;
  const char* message;   // what -v says
};

void PrintTo(const EarlyFailureCase& c, std::ostream* out) { *out << c.name; }

class PostEarlyFailure : public Post, public ::testing::WithParamInterface<EarlyFailureCase> {};

TEST_P(PostEarlyFailure, LeavesAnEarlierPostFileUntouched) {
  const EarlyFailureCase& c = GetParam();
  if (c.bytes == nullptr) {
    std::remove((dir / c.file).c_str());
  } else {
    dir.Write(c.file, c.bytes);
  }
  dir.Write(kPostFile, "an earlier post file\r\n");
  const RunResult quiet = Run();
  EXPECT_EQ(quiet.exit_status, 1);
  EXPECT_EQ(quiet.standard_error, "");
  const RunResult verbose = Run({"-v"});
  EXPECT_EQ(verbose.exit_status, 1);
  EXPECT_EQ(verbose.standard_error, std::string("sheetpost: ") + c.message + "\n");
  EXPECT_EQ(dir.Read(kPostFile), "an earlier post file\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PostEarlyFailure,
    ::testing::Values(
        EarlyFailureCase{"NoAnalysisSheet", "Ana.csv", nullptr,
                         "Ana.csv: cannot open for reading: no such file or directory"},
        EarlyFailureCase{"EmptyAnalysisSheet", "Ana.csv", "",
                         "Ana.csv:1:1: expected the title line, found end of file"},
        EarlyFailureCase{"NoMesh", "Model.msh", nullptr,
                         "Model.msh: cannot open for reading: no such file or directory"},
        EarlyFailureCase{"MeshEndsInItsHeader", "Model.msh", "MESH\r\nfrom the mesher\r\n",
                         "Model.msh:3:1: expected header line 3, found end of file"},
        EarlyFailureCase{"BlankBeforeTheSeparator", "Model.msh", "a\r\nb\r\nc\r\n12 ,30\r\n",
                         "Model.msh:4:4: expected the node count, found \",30\""},
        EarlyFailureCase{"NoNodeCount", "Model.msh", "a\r\nb\r\nc\r\n12,",
                         "Model.msh:4:4: expected the node count, found end of file"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Post, EmptyAnalysisSheetCreatesNoPostFile) {
  dir.Write("Ana.csv", "");
  EXPECT_EQ(Run().exit_status, 1);
  EXPECT_FALSE(dir.Exists(kPostFile));
}

// From the post file's opening on, an earlier post file is replaced by the
// records written before the failure.
TEST_F(Post, FailureAfterTheOpenReplacesAnEarlierPostFile) {
  dir.Write(kPostFile, "an earlier post file\r\n");
  std::remove((dir / kNodeFile).c_str());
  ExpectRun(1, Head());
}

TEST_F(Post, MissingElementFileFailsAfterTheNodeSection) {
  for (const char* missing : {kElementFile, kCentreFile, kVolumeFile}) {
    SetUp();
    std::remove((dir / missing).c_str());
    SCOPED_TRACE(missing);
    ExpectRun(1, Head() + kSampleNodes + kNodeEnd);
    EXPECT_EQ(Run({"-v"}).standard_error,
              std::string("sheetpost: ") + missing +
                  ": cannot open for reading: no such file or directory\n");
  }
}

// ---- bounds -----------------------------------------------------------------

TEST_F(Post, NumbersUpToTheCountPlusOneAreAccepted) {
  Counts("2,3");
  dir.Write(kNodeFile, NodeRecord(4, 1.0) + NodeRecord(-3, 2.0) +
                           NodeRecord(std::numeric_limits<std::int32_t>::min(), 3.0) + NodeRecord(0));
  // Centre and volume numbers are checked against the bound, never matched
  // with the element number.
  dir.Write(kElementFile, SampleElement(3) + SampleElement(-7) + ElementRecord(0));
  dir.Write(kCentreFile, SampleCentre(3) + SampleCentre(-1));
  dir.Write(kVolumeFile, SampleVolume(-5) + SampleVolume(3));
  ExpectRun(0, Head() + NodeText(4, " 1.00000E+000") + NodeText(-3, " 2.00000E+000") +
                   NodeText(std::numeric_limits<std::int32_t>::min(), " 3.00000E+000") + kNodeEnd +
                   ElementText(3, kSampleValues) + ElementText(-7, kSampleValues) + kElementEnd);
}

TEST_F(Post, CountOfTheLargestIntegerHasItsBound) {
  Counts("2147483647,2147483647");
  dir.Write(kNodeFile, NodeRecord(2147483647, 1.0) + NodeRecord(0));
  dir.Write(kElementFile, SampleElement(2147483647) + ElementRecord(0));
  dir.Write(kCentreFile, SampleCentre(2147483647));
  dir.Write(kVolumeFile, SampleVolume(2147483647));
  ExpectRun(0, Head() + NodeText(2147483647, " 1.00000E+000") + kNodeEnd +
                   ElementText(2147483647, kSampleValues) + kElementEnd);
}

struct BoundCase {
  const char* name;
  std::string nodes, elements, centres, volumes;
  std::string post;     // the post file after the failure
  std::string message;  // what -v says
};

void PrintTo(const BoundCase& c, std::ostream* out) { *out << c.name; }

class PostBound : public Post, public ::testing::WithParamInterface<BoundCase> {};

// Counts 1,2: NodeBound 3 and ElementBound 2.
TEST_P(PostBound, NumberAboveTheBoundFails) {
  const BoundCase& c = GetParam();
  dir.Write(kNodeFile, c.nodes);
  dir.Write(kElementFile, c.elements);
  dir.Write(kCentreFile, c.centres);
  dir.Write(kVolumeFile, c.volumes);
  ExpectRun(1, c.post);
  EXPECT_EQ(Run({"-v"}).standard_error, "sheetpost: " + c.message + "\n");
}

const std::string kTwoNodes = NodeRecord(1, 1.0e-3) + NodeRecord(2, -2.5e-4) + NodeRecord(0);
const std::string kTwoNodesText = NodeText(1, " 1.00000E-003") + NodeText(2, "-2.50000E-004");

INSTANTIATE_TEST_SUITE_P(
    Cases, PostBound,
    ::testing::Values(
        BoundCase{"NodeNumber", NodeRecord(1, 1.0) + NodeRecord(4, 2.0) + NodeRecord(0), "", "", "",
                  Head() + NodeText(1, " 1.00000E+000"),
                  "at-nresl-struct.tmp: record 2: node number 4 is greater than the bound 3"},
        BoundCase{"ElementNumber", kTwoNodes, SampleElement(3) + ElementRecord(0), SampleCentre(1),
                  SampleVolume(1), Head() + kTwoNodesText + kNodeEnd,
                  "at-eresl-struct.tmp: record 1: element number 3 is greater than the bound 2"},
        BoundCase{"CentreNumber", kTwoNodes, SampleElement(1) + ElementRecord(0), SampleCentre(3),
                  SampleVolume(1), Head() + kTwoNodesText + kNodeEnd,
                  "t-felm-cntr.tmp: record 1: record number 3 is greater than the bound 2"},
        BoundCase{"VolumeNumber", kTwoNodes, SampleElement(1) + ElementRecord(0), SampleCentre(1),
                  SampleVolume(3), Head() + kTwoNodesText + kNodeEnd,
                  "t-felm-vole.tmp: record 1: record number 3 is greater than the bound 2"},
        BoundCase{"CentreNumberZero", kTwoNodes, SampleElement(1) + ElementRecord(0), SampleCentre(0),
                  SampleVolume(1), Head() + kTwoNodesText + kNodeEnd,
                  "t-felm-cntr.tmp: record 1: the record number is 0"},
        BoundCase{"VolumeNumberZero", kTwoNodes, SampleElement(1) + SampleElement(1) + ElementRecord(0),
                  SampleCentre(1) + SampleCentre(1), SampleVolume(1) + SampleVolume(0),
                  Head() + kTwoNodesText + kNodeEnd + ElementText(1, kSampleValues),
                  "t-felm-vole.tmp: record 2: the record number is 0"},
        // More results than the count before the end marker: all that the
        // bound lets in are written, then the run fails.
        BoundCase{"MoreNodesThanTheCount",
                  NodeRecord(1, 1.0) + NodeRecord(2, 2.0) + NodeRecord(3, 3.0) + NodeRecord(0), "", "", "",
                  Head() + NodeText(1, " 1.00000E+000") + NodeText(2, " 2.00000E+000") +
                      NodeText(3, " 3.00000E+000"),
                  "at-nresl-struct.tmp: record 3: expected the end marker after at most 2 node results "
                  "(the node count of Model.msh), found node number 3"},
        BoundCase{"MoreElementsThanTheCount", kTwoNodes,
                  SampleElement(1) + SampleElement(2) + ElementRecord(0), SampleCentre(1) + SampleCentre(2),
                  SampleVolume(1) + SampleVolume(2),
                  Head() + kTwoNodesText + kNodeEnd + ElementText(1, kSampleValues) +
                      ElementText(2, kSampleValues),
                  "at-eresl-struct.tmp: record 2: expected the end marker after at most 1 element results "
                  "(the element count of Model.msh), found element number 2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Post, NamesTheRecordOfAnElementAboveTheBound) {
  Counts("12,30");
  SampleElements e = SampleElementsUpTo(12);
  e.centres += SampleCentre(13);
  e.volumes += SampleVolume(13);
  WriteElements(e, SampleElement(15) + ElementRecord(0));
  const RunResult result = Run({"-v"});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error,
            "sheetpost: at-eresl-struct.tmp: record 13: element number 15 is greater than the bound 13\n");
  EXPECT_EQ(dir.Read(kPostFile), Crlf(Head() + kSampleNodes + kNodeEnd + e.post));
}

TEST_F(Post, CountOfMinusOneReadsNoRecordButOpensEveryFile) {
  Counts("-1,-1");
  for (const char* file : {kNodeFile, kElementFile, kCentreFile, kVolumeFile}) dir.Write(file, "");
  ExpectRun(0, Head() + kNodeEnd + kElementEnd);

  std::remove((dir / kVolumeFile).c_str());
  ExpectRun(1, Head() + kNodeEnd);
  std::remove((dir / kNodeFile).c_str());
  ExpectRun(1, Head());
}

TEST_F(Post, CountOfZeroReadsOneRecordThatMustBeTheEndMarker) {
  Counts("0,0");
  dir.Write(kNodeFile, NodeRecord(0, 7.0));
  dir.Write(kElementFile, ElementRecord(0));
  dir.Write(kCentreFile, "");
  dir.Write(kVolumeFile, "");
  ExpectRun(0, Head() + kNodeEnd + kElementEnd);

  dir.Write(kElementFile, SampleElement(1) + ElementRecord(0));
  dir.Write(kCentreFile, SampleCentre(1));
  dir.Write(kVolumeFile, SampleVolume(1));
  ExpectRun(1, Head() + kNodeEnd + ElementText(1, kSampleValues));

  dir.Write(kNodeFile, NodeRecord(1, 1.0) + NodeRecord(0));
  ExpectRun(1, Head() + NodeText(1, " 1.00000E+000"));
}

// ---- short reads --------------------------------------------------------------

struct ShortCase {
  const char* name;
  const char* file;
  std::size_t length;  // the sample's file cut to this many bytes
  int elements_written;  // -1: the run stops in the node section
  int nodes_written = 2;
  std::string message;
};

void PrintTo(const ShortCase& c, std::ostream* out) { *out << c.name; }

class PostShortRead : public Post, public ::testing::WithParamInterface<ShortCase> {};

TEST_P(PostShortRead, Fails) {
  const ShortCase& c = GetParam();
  // Two elements, so that a cut can fall into the second record.
  Counts("2,2");
  WriteElements(SampleElementsUpTo(2));
  dir.Write(c.file, dir.Read(c.file).substr(0, c.length));
  std::string post = Head();
  if (c.nodes_written >= 1) post += NodeText(1, " 1.00000E-003");
  if (c.nodes_written >= 2) post += NodeText(2, "-2.50000E-004");
  if (c.elements_written >= 0) post += kNodeEnd;
  for (int k = 1; k <= c.elements_written; ++k) post += ElementText(k, kSampleValues);
  ExpectRun(1, post);
  EXPECT_EQ(Run({"-v"}).standard_error, "sheetpost: " + std::string(c.file) + ": " + c.message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PostShortRead,
    ::testing::Values(
        ShortCase{"NodeFileEmpty", kNodeFile, 0, -1, 0, "record 1: the file ends before the end marker"},
        ShortCase{"NodeOneByte", kNodeFile, 1, -1, 0,
                  "record 1: the file ends 1 bytes into the 16-byte record"},
        ShortCase{"NodeNoEndMarker", kNodeFile, 32, -1, 2, "record 3: the file ends before the end marker"},
        ShortCase{"NodeEndMarkerCut", kNodeFile, 47, -1, 2,
                  "record 3: the file ends 15 bytes into the 16-byte record"},
        ShortCase{"ElementFileEmpty", kElementFile, 0, 0, 2, "record 1: the file ends before the end marker"},
        ShortCase{"ElementOneByte", kElementFile, 1, 0, 2,
                  "record 1: the file ends 1 bytes into the 112-byte record"},
        ShortCase{"ElementVectorCut", kElementFile, 112 + 40, 1, 2,
                  "record 2: the file ends 40 bytes into the 112-byte record"},
        ShortCase{"ElementEndMarkerCut", kElementFile, 3 * 112 - 1, 2, 2,
                  "record 3: the file ends 111 bytes into the 112-byte record"},
        ShortCase{"CentreFileEmpty", kCentreFile, 0, 0, 2,
                  "record 1: the file ends before the record of this element result"},
        ShortCase{"CentreInNumber", kCentreFile, 28 + 2, 1, 2,
                  "record 2: the file ends 2 bytes into the 28-byte record"},
        ShortCase{"CentreRightAfterNumber", kCentreFile, 28 + 4, 1, 2,
                  "record 2: the file ends 4 bytes into the 28-byte record"},
        ShortCase{"CentreLastCoordinateCut", kCentreFile, 28 + 27, 1, 2,
                  "record 2: the file ends 27 bytes into the 28-byte record"},
        ShortCase{"VolumeFileEmpty", kVolumeFile, 0, 0, 2,
                  "record 1: the file ends before the record of this element result"},
        ShortCase{"VolumeRightAfterNumber", kVolumeFile, 12 + 4, 1, 2,
                  "record 2: the file ends 4 bytes into the 12-byte record"},
        ShortCase{"VolumeCut", kVolumeFile, 12 + 11, 1, 2,
                  "record 2: the file ends 11 bytes into the 12-byte record"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- bytes that are never interpreted ---------------------------------------

TEST_F(Post, IgnoresUnusedBytesAndEverythingAfterTheEndMarkers) {
  dir.Write(kNodeFile, NodeRecord(1, 1.0e-3, '\xFF') + NodeRecord(2, -2.5e-4, '\x5A') +
                           // The end marker's fill and value are ignored, and so is all that follows.
                           NodeRecord(0, 99.0, '\xFF') + NodeRecord(99, 1.0) + "\x07\x07\x07");
  dir.Write(kElementFile, ElementRecord(1, 0.6, 0.8, 0.0, '\xEE') + ElementRecord(0, 1.0, 2.0, 3.0, '\x11') +
                              ElementRecord(12345, 1.0) + "\x01");
  // Surplus centre and volume records are never read.
  dir.Write(kCentreFile, SampleCentre(1) + CentreRecord(0, 1.0, 1.0, 1.0) + "\x01\x02");
  dir.Write(kVolumeFile, SampleVolume(1) + VolumeRecord(77, 1.0) + "\x01");
  ExpectRun(0, Head() + kSampleNodes + kNodeEnd + ElementText(1, kSampleValues) + kElementEnd);
}

TEST_F(Post, EmptyElementSectionLeavesCentreAndVolumeUnread) {
  dir.Write(kElementFile, ElementRecord(0));
  dir.Write(kCentreFile, "x");
  dir.Write(kVolumeFile, "");
  ExpectRun(0, Head() + kSampleNodes + kNodeEnd + kElementEnd);
}

// ---- size -------------------------------------------------------------------

// "% 1.5E" of a whole number with at most six digits.
std::string WholeNumberE(long long value) {
  const std::string digits = std::to_string(value < 0 ? -value : value);
  std::string mantissa = digits.substr(1) + "00000";
  return std::string(value < 0 ? "-" : " ") + digits[0] + "." + mantissa.substr(0, 5) + "E+00" +
         std::to_string(digits.size() - 1);
}

// The values line of an element record: a blank, eight values each followed
// by ", " or (the eighth) ",", and the ninth.
std::string ValuesText(const std::vector<std::string>& values) {
  std::string text;
  for (std::size_t v = 0; v < values.size(); ++v) {
    text += values[v];
    if (v + 1 < values.size()) text += v + 2 < values.size() ? ", " : ",";
  }
  return text;
}

// Enough element records that one straddles two of the blocks in which the
// files are read, each record with values of its own.
TEST_F(Post, ReadsManyRecordsAcrossBlocks) {
  constexpr int kElements = 10000;
  constexpr int kNodes = 1000;
  Counts(std::to_string(kElements) + "," + std::to_string(kNodes));
  std::string nodes, results, centres, volumes, post = Head();
  for (int i = 1; i <= kNodes; ++i) {
    nodes += NodeRecord(i, i);
    post += NodeText(i, WholeNumberE(i));
  }
  post += kNodeEnd;
  for (int k = 1; k <= kElements; ++k) {
    results += ElementRecord(k, 0.0, -k, 0.0);
    centres += CentreRecord(k, k, 2.0 * k, -3.0);
    volumes += VolumeRecord(k, 3.0 * k);
    post += ElementText(k, ValuesText({WholeNumberE(0), WholeNumberE(-k), WholeNumberE(0), WholeNumberE(k),
                                       WholeNumberE(k), WholeNumberE(2 * k), WholeNumberE(-3),
                                       WholeNumberE(3 * k), WholeNumberE(0)}));
  }
  post += kElementEnd;
  dir.Write(kNodeFile, nodes + NodeRecord(0));
  dir.Write(kElementFile, results + ElementRecord(0));
  dir.Write(kCentreFile, centres);
  dir.Write(kVolumeFile, volumes);
  ExpectRun(0, post);
}

// ---- -v -----------------------------------------------------------------------

TEST_F(Post, VerboseSaysWhatWasWritten) {
  const RunResult result = Run({"-v"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.standard_error,
            "sheetpost: wrote Model_post.pst with 2 node results and 1 element result\n");
}

// ---- the make_results tool ----------------------------------------------------

const std::string kMakeResults = std::string(TOOLS_DIR) + "/make_results";

TEST_F(Post, MakeResultsWritesTheRecordsOfItsDescription) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  dir.Write("results.txt",
            "# the sample, with junk in the unused bytes\n"
            "node 1 1.0e-3\n"
            "\tnode  +2   -2.5e-4\r\n"
            "node 3 inf\n"
            "node 4 -nan\n"
            "node 0\n"
            "\n"
            "fill FF\n"
            "element 1 0.6 0.8 0.0\n"
            "element 0\n"
            "fill 00\n"
            "element -2 1 2 3 cut 20\n"
            "centre 1 0.01 0.02 0.0\n"
            "volume 1 5e-5\n"
            "bytes volume 01 a0 FF\n"
            "volume 2 -inf cut 4\n");
  const RunResult result = RunIn(dir.path(), kMakeResults, {"-C", dir / "out", "results.txt"});
  ASSERT_EQ(result.exit_status, 1) << "-C needs an existing directory";
  ::mkdir((dir / "out").c_str(), 0777);
  ASSERT_EQ(RunIn(dir.path(), kMakeResults, {"-C", dir / "out", "results.txt"}).exit_status, 0);
  EXPECT_EQ(ReadFile(dir / "out/" + kNodeFile), NodeRecord(1, 1.0e-3) + NodeRecord(2, -2.5e-4) +
                                                   NodeRecord(3, inf) + NodeRecord(4, -nan) + NodeRecord(0));
  EXPECT_EQ(ReadFile(dir / "out/" + kElementFile), ElementRecord(1, 0.6, 0.8, 0.0, '\xFF') +
                                                      ElementRecord(0, 0.0, 0.0, 0.0, '\xFF') +
                                                      ElementRecord(-2, 1.0, 2.0, 3.0).substr(0, 20));
  EXPECT_EQ(ReadFile(dir / "out/" + kCentreFile), SampleCentre(1));
  EXPECT_EQ(ReadFile(dir / "out/" + kVolumeFile), SampleVolume(1) + "\x01\xA0\xFF" + Int32(2));
}

TEST_F(Post, MakeResultsRejectsALineItDoesNotKnow) {
  struct Case {
    const char* line;
    const char* message;
  };
  for (const Case& c : {Case{"nodes 1 1.0", "unknown record \"nodes\""},
                        Case{"bytes nodes 00", "unknown file \"nodes\" (node, element, centre or volume)"},
                        Case{"element 1 0.6 0.8", "element takes 1 or 4 fields"},
                        Case{"volume 1 x", "not a real: \"x\""},
                        Case{"node 2147483648", "not a 32-bit integer: \"2147483648\""},
                        Case{"fill F", "not a byte of two hex digits: \"F\""},
                        Case{"volume 1 1.0 cut 13", "cut 13 is longer than the 12-byte record"}}) {
    TempDir fresh;
    fresh.Write("results.txt", std::string("node 0\n") + c.line + "\n");
    const RunResult result = RunIn(fresh.path(), kMakeResults, {"results.txt"});
    EXPECT_EQ(result.exit_status, 1) << c.line;
    EXPECT_EQ(result.standard_error, std::string("make_results: results.txt:2: ") + c.message + "\n");
    EXPECT_EQ(fresh.List(), std::vector<std::string>{"results.txt"}) << "nothing written";
  }
}

}  // namespace
}  // namespace sheet::testing

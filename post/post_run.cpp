#include "post/post_run.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/binary_reader.h"
#include "common/expect.h"
#include "common/fatal_exit.h"
#include "common/file_open.h"
#include "common/format_number.h"
#include "common/line_buffer.h"
#include "common/mesh_reader.h"
#include "common/output_file.h"
#include "common/record_template.h"
#include "common/text_reader.h"
#include "post/result_records.h"

namespace sheet {
namespace {

constexpr const char* kAnalysisSheetName = "Ana.csv";

std::string Str(std::int64_t value) { return std::to_string(value); }

[[noreturn]] void FailRecord(const BinaryReader& file, std::int64_t record, const std::string& message) {
  FatalExit({file.name(), 0, 0, "record " + Str(record) + ": " + message});
}

// A short read: the file ended right before the record (`into` is 0), or
// `into` bytes into it.
[[noreturn]] void FailShort(const BinaryReader& file, std::int64_t record, std::size_t into,
                            std::size_t record_size, const char* what_was_due) {
  if (into == 0) FailRecord(file, record, std::string("the file ends before ") + what_was_due);
  FailRecord(file, record, "the file ends " + Str(static_cast<std::int64_t>(into)) + " bytes into the " +
                               Str(static_cast<std::int64_t>(record_size)) + "-byte record");
}

// The title as "%s" writes it: up to the first zero byte, if the line held
// one.
std::string_view TitleText(const LineBuffer& line) {
  const std::string_view text = line.view();
  return text.substr(0, text.find('\0'));
}

// "%5d\n % 1.5E\n", written straight into the output buffer.
void WriteNodeRecord(OutputFile& post, const NodeResultRecord& node) {
  char* at = post.Reserve(2 * kMaxNumberWidth + 8);
  at = FormatInteger(at, node.node_number, 5);
  *at++ = '\r';
  *at++ = '\n';
  *at++ = ' ';
  at = FormatExponent(at, node.value, 5, true);
  *at++ = '\r';
  *at++ = '\n';
  post.Commit(at);
}

// "%5d\n % 1.5E, % 1.5E, % 1.5E, % 1.5E, % 1.5E, % 1.5E, % 1.5E, % 1.5E,% 1.5E\n":
// the hot path of large models, so written straight into the output buffer.
void WriteElementRecord(OutputFile& post, const ElementResultRecord& element,
                        const ElementCentreRecord& centre, const ElementVolumeRecord& volume) {
  const double x = element.vector[0];
  const double y = element.vector[1];
  const double z = element.vector[2];
  // Each square a single rounded product, summed in this order (the build
  // forbids fusing a product into a sum, which would round differently).
  const double magnitude = std::sqrt((x * x + y * y) + z * z);
  const double values[9] = {x, y, z, magnitude, centre.centre[0], centre.centre[1], centre.centre[2],
                            volume.volume, 0.0};
  char* at = post.Reserve(10 * kMaxNumberWidth + 32);
  at = FormatInteger(at, element.element_number, 5);
  *at++ = '\r';
  *at++ = '\n';
  *at++ = ' ';
  for (int v = 0; v < 8; ++v) {
    at = FormatExponent(at, values[v], 5, true);
    *at++ = ',';
    if (v < 7) *at++ = ' ';  // the last value follows its comma directly
  }
  at = FormatExponent(at, values[8], 5, true);
  *at++ = '\r';
  *at++ = '\n';
  post.Commit(at);
}

// The node phase after the title: the node results up to their end marker, at most
// `bound` records; returns how many were written.
std::int64_t WriteNodeSection(OutputFile& post, std::int64_t bound, std::int32_t node_count) {
  BinaryReader file(OpenInput(kNodeResultFileName), kNodeResultFileName);
  NodeResultRecord node;
  std::int64_t read = 0;
  while (read < bound) {
    ++read;
    if (!ReadNodeResult(file, node)) {
      FailShort(file, read, file.ShortCount(), kNodeResultSize, "the end marker");
    }
    if (node.node_number == kEndMarker) return read - 1;
    if (node.node_number > bound) {
      FailRecord(file, read,
                 "node number " + Str(node.node_number) + " is greater than the bound " + Str(bound));
    }
    WriteNodeRecord(post, node);
  }
  if (node.node_number != kEndMarker) {
    FailRecord(file, read, "expected the end marker after at most " + Str(node_count) +
                               " node results (the node count of Model.msh), found node number " +
                               Str(node.node_number));
  }
  return 0;
}

// Ends the run unless a centre or volume record was read whole; `record` is
// its position, which is also that of the element result it goes with.
void RequireWhole(const BinaryReader& file, RecordRead outcome, std::int64_t record,
                  std::int32_t number, std::int64_t bound, std::size_t record_size) {
  switch (outcome) {
    case RecordRead::whole:
      return;
    case RecordRead::short_in_number:
      FailShort(file, record, file.ShortCount(), record_size, "the record of this element result");
    case RecordRead::zero_number:
      FailRecord(file, record, "the record number is 0");
    case RecordRead::number_above_bound:
      FailRecord(file, record,
                 "record number " + Str(number) + " is greater than the bound " + Str(bound));
    case RecordRead::short_in_values:
      FailShort(file, record, kRecordNumberSize + file.ShortCount(), record_size, "the record");
  }
}

// The element phase up to the post file's closing: the element results up to
// their end marker, at most `bound` records, each with the centre and volume
// record at the same position, then the end record; returns how many were
// written.
std::int64_t WriteElementSection(OutputFile& post, std::int64_t bound, std::int32_t element_count) {
  BinaryReader results(OpenInput(kElementResultFileName), kElementResultFileName);
  BinaryReader centres(OpenInput(kElementCentreFileName), kElementCentreFileName);
  BinaryReader volumes(OpenInput(kElementVolumeFileName), kElementVolumeFileName);
  ElementResultRecord element;
  ElementCentreRecord centre;
  ElementVolumeRecord volume;
  std::int64_t read = 0;
  bool ended = false;
  while (read < bound) {
    ++read;
    if (!ReadElementResult(results, element)) {
      FailShort(results, read, results.ShortCount(), kElementResultSize, "the end marker");
    }
    if (element.element_number == kEndMarker) {
      ended = true;
      break;
    }
    if (element.element_number > bound) {
      FailRecord(results, read, "element number " + Str(element.element_number) +
                                    " is greater than the bound " + Str(bound));
    }
    const RecordRead centre_read = ReadElementCentre(centres, centre, bound);
    RequireWhole(centres, centre_read, read, centre.record_number, bound,
                 kRecordNumberSize + kCentreCoordinatesSize);
    const RecordRead volume_read = ReadElementVolume(volumes, volume, bound);
    RequireWhole(volumes, volume_read, read, volume.record_number, bound,
                 kRecordNumberSize + kVolumeSize);
    WriteElementRecord(post, element, centre, volume);
  }
  if (element.element_number != kEndMarker) {
    FailRecord(results, read,
               "expected the end marker after at most " + Str(element_count) +
                   " element results (the element count of Model.msh), found element number " +
                   Str(element.element_number));
  }
  WriteRecord<"%5d\n%3d,%3d,%3d,%3d,%3d,%3d,%3d,%3d,%3d\n">(post, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  results.Close();
  centres.Close();
  volumes.Close();
  return ended ? read - 1 : 0;
}

std::string Counted(std::int64_t count, const char* noun) {
  return Str(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

std::string RunPostProcessing() {
  // Gathering: nothing is written before both inputs have been read.
  LineBuffer title;
  {
    TextReader ana(OpenInput(kAnalysisSheetName), kAnalysisSheetName);
    ExpectLine(ana, title, "the title line");
  }
  MeshCounts counts;
  {
    TextReader mesh(OpenInput(kMeshFileName), kMeshFileName);
    LineBuffer line;
    counts = ReadMeshCounts(mesh, line);
  }
  // 64-bit, so that a count of 2147483647 gives its bound like any other.
  const std::int64_t element_bound = std::int64_t{counts.element_count} + 1;
  const std::int64_t node_bound = std::int64_t{counts.node_count} + 1;

  OutputFile post(OpenOutput(kPostFileName), kPostFileName);
  // The title keeps its own line end; a title cut at 99 characters has none.
  WriteRecord<"TITL\n%sGVAL\n">(post, TitleText(title));
  const std::int64_t nodes = WriteNodeSection(post, node_bound, counts.node_count);
  WriteRecord<"%5d\n%12d\nEVAL\n">(post, -1, 0);
  const std::int64_t elements = WriteElementSection(post, element_bound, counts.element_count);
  post.Close();
  return std::string("wrote ") + kPostFileName + " with " + Counted(nodes, "node result") + " and " +
         Counted(elements, "element result");
}

}  // namespace sheet

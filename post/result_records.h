// The solver's four binary result files and the steps that read their
// records. All integers are signed 32-bit little-endian, all reals IEEE 754
// doubles, little-endian; records follow each other with nothing between
// them, and no file has a header.
//
//   at-nresl-struct.tmp  NodeResultRecord, 16 bytes: node number (0 = end
//                        marker), 4 bytes fill, the node value at offset 8
//   at-eresl-struct.tmp  ElementResultRecord, 112 bytes: element number
//                        (0 = end marker), the vector at offsets 16, 24, 32;
//                        the other bytes are never looked at
//   t-felm-cntr.tmp      ElementCentreRecord, 28 bytes, packed: record
//                        number, three centre coordinates
//   t-felm-vole.tmp      ElementVolumeRecord, 12 bytes, packed: record
//                        number, the element's area or volume
//
// The centre and volume records go with the element results by position, not
// by number. Each step reads whole records and reports a short read when the
// file ends within one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/binary_reader.h"

namespace sheet {

inline constexpr const char* kNodeResultFileName = "at-nresl-struct.tmp";
inline constexpr const char* kElementResultFileName = "at-eresl-struct.tmp";
inline constexpr const char* kElementCentreFileName = "t-felm-cntr.tmp";
inline constexpr const char* kElementVolumeFileName = "t-felm-vole.tmp";

inline constexpr std::size_t kNodeResultSize = 16;
inline constexpr std::size_t kElementResultSize = 112;
inline constexpr std::size_t kRecordNumberSize = 4;
inline constexpr std::size_t kCentreCoordinatesSize = 3 * 8;
inline constexpr std::size_t kVolumeSize = 8;

// The number that marks the end of the node and of the element results.
inline constexpr std::int32_t kEndMarker = 0;

struct NodeResultRecord {
  std::int32_t node_number = 0;
  double value = 0.0;
};

struct ElementResultRecord {
  std::int32_t element_number = 0;
  double vector[3] = {0.0, 0.0, 0.0};
};

struct ElementCentreRecord {
  std::int32_t record_number = 0;
  double centre[3] = {0.0, 0.0, 0.0};
};

struct ElementVolumeRecord {
  std::int32_t record_number = 0;
  double volume = 0.0;
};

// What a centre or volume read found. Its record number is read first and
// checked: it must not be 0 and not greater than the bound; the reals are read
// only once it has passed.
enum class RecordRead {
  whole,
  short_in_number,  // the file ended before or within the record number
  zero_number,
  number_above_bound,
  short_in_values,  // the file ended within the reals after the number
};

// Each false on a short read.
bool ReadNodeResult(BinaryReader& file, NodeResultRecord& record);
bool ReadElementResult(BinaryReader& file, ElementResultRecord& record);

RecordRead ReadElementCentre(BinaryReader& file, ElementCentreRecord& record, std::int64_t bound);
RecordRead ReadElementVolume(BinaryReader& file, ElementVolumeRecord& record, std::int64_t bound);

}  // namespace sheet

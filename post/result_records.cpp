#include "post/result_records.h"

#include "common/little_endian.h"

namespace sheet {
namespace {

RecordRead ReadCheckedNumber(BinaryReader& file, std::int32_t& number, std::int64_t bound) {
  const unsigned char* bytes = file.Take(kRecordNumberSize);
  if (bytes == nullptr) [[unlikely]] return RecordRead::short_in_number;
  number = DecodeInt32(bytes);
  if (number == 0) [[unlikely]] return RecordRead::zero_number;
  if (number > bound) [[unlikely]] return RecordRead::number_above_bound;
  return RecordRead::whole;
}

}  // namespace

bool ReadNodeResult(BinaryReader& file, NodeResultRecord& record) {
  const unsigned char* bytes = file.Take(kNodeResultSize);
  if (bytes == nullptr) [[unlikely]] return false;
  record.node_number = DecodeInt32(bytes);
  record.value = DecodeDouble(bytes + 8);
  return true;
}

bool ReadElementResult(BinaryReader& file, ElementResultRecord& record) {
  const unsigned char* bytes = file.Take(kElementResultSize);
  if (bytes == nullptr) [[unlikely]] return false;
  record.element_number = DecodeInt32(bytes);
  record.vector[0] = DecodeDouble(bytes + 16);
  record.vector[1] = DecodeDouble(bytes + 24);
  record.vector[2] = DecodeDouble(bytes + 32);
  return true;
}

RecordRead ReadElementCentre(BinaryReader& file, ElementCentreRecord& record, std::int64_t bound) {
  const RecordRead number = ReadCheckedNumber(file, record.record_number, bound);
  if (number != RecordRead::whole) [[unlikely]] return number;
  const unsigned char* bytes = file.Take(kCentreCoordinatesSize);
  if (bytes == nullptr) [[unlikely]] return RecordRead::short_in_values;
  record.centre[0] = DecodeDouble(bytes);
  record.centre[1] = DecodeDouble(bytes + 8);
  record.centre[2] = DecodeDouble(bytes + 16);
  return RecordRead::whole;
}

RecordRead ReadElementVolume(BinaryReader& file, ElementVolumeRecord& record, std::int64_t bound) {
  const RecordRead number = ReadCheckedNumber(file, record.record_number, bound);
  if (number != RecordRead::whole) [[unlikely]] return number;
  const unsigned char* bytes = file.Take(kVolumeSize);
  if (bytes == nullptr) [[unlikely]] return RecordRead::short_in_values;
  record.volume = DecodeDouble(bytes);
  return RecordRead::whole;
}

}  // namespace sheet

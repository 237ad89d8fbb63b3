// Sources for TextReader tests: descriptors whose read() calls return chosen
// blocks, so that a test puts block boundaries exactly where it wants them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "common/text_reader.h"

namespace sheet::testing {

// A descriptor whose successive read() calls return exactly `blocks`, one
// each, then end of file. A SOCK_SEQPACKET socket keeps message boundaries,
// unlike a pipe. Blocks must not be empty (an empty message reads as the end)
// and together must fit the socket buffer (keep them to a few kilobytes).
inline int BlockDescriptor(const std::vector<std::string>& blocks) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) {
    ADD_FAILURE() << "socketpair failed";
    return -1;
  }
  for (const std::string& block : blocks) {
    EXPECT_FALSE(block.empty());
    EXPECT_EQ(::write(ends[1], block.data(), block.size()), static_cast<ssize_t>(block.size()));
  }
  ::close(ends[1]);
  return ends[0];
}

// Every character the reader delivers, up to its end.
inline std::string ReadAll(TextReader& reader) {
  std::string text;
  for (int c; (c = reader.Get()) != TextReader::kEnd;) text += static_cast<char>(c);
  return text;
}

}  // namespace sheet::testing

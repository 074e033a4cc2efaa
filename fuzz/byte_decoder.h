// The fuzzer's raw inputs: bytes read as actions directly. One byte picks
// the kind of action, the next ones the window in view, the control, the
// text, so that most bytes lead somewhere.
#pragma once

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/action_player.h"

namespace fuzzing {

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    std::uint8_t next() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::string take(std::size_t n)
    {
        n = std::min(n, size_ - pos_);
        std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return s;
    }
    // A word of the dictionary, or up to 127 bytes of the input as they are.
    std::string text();

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The next action, picked among what is in view in the program now.
Action decode(Bytes& in, form::Program& p, bool quick);

}  // namespace fuzzing

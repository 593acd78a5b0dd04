// Rows of a picture shared out among threads as each becomes free. Every
// row is worked by one thread alone and depends on nothing another
// writes, so the picture is the same however many threads there are.
#pragma once
#include <cstdint>
#include <functional>

namespace qxv::shutter {

void ForEachRow(std::uint32_t rows, unsigned threads, const std::function<void(std::uint32_t)>& work);

}  // namespace qxv::shutter

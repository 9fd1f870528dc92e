// The budgeted file and its windows: every byte the cover readers take from
// a file passes through CoverReadBudget::ReadAt, which refuses a read that
// would end past the file or take the total past the limits.
#include "cover/cover_formats.h"

namespace {

bool Fits(uint64_t offset, uint64_t size, uint64_t fileSize, uint64_t budgetLeft) {
    return offset <= fileSize && size <= fileSize - offset && size <= budgetLeft;
}

}  // namespace

bool CoverReadBudget::ReadAt(uint64_t offset, uint8_t* out, size_t size) {
    if (!Fits(offset, size, size_, Left()) || reads_ >= kCoverReadCountLimit) return false;
    if (size == 0) return true;  // a source need not take an empty read
    used_ += size;
    ++reads_;
    return file_.ReadAt(offset, out, size);
}

bool CoverReadBudget::ReadAt(uint64_t offset, uint64_t size, HeapBytes& out) {
    if (!Fits(offset, size, size_, Left()) || reads_ >= kCoverReadCountLimit) return false;
    if (!out.Allocate(static_cast<size_t>(size))) {
        heapRanShort_ = true;
        return false;
    }
    return ReadAt(offset, out.data(), out.size());
}

FileWindow::FileWindow(CoverReadBudget& file, uint64_t begin, uint64_t end)
    : file_(&file), position_(begin), end_(end) {
    if (end_ > file.FileSize()) end_ = file.FileSize();
    if (position_ > end_) position_ = end_;
}

bool FileWindow::ReadRaw(uint8_t* out, size_t size) {
    if (size > Remaining() || file_ == nullptr) return false;
    if (!file_->ReadAt(position_, out, size)) return false;
    position_ += size;
    return true;
}

bool FileWindow::ReadRest(HeapBytes& out) {
    if (file_ == nullptr || !file_->ReadAt(position_, Remaining(), out)) return false;
    position_ = end_;
    return true;
}

bool FileWindow::Skip(uint64_t count) {
    if (count > Remaining()) return false;
    position_ += count;
    return true;
}

bool FileWindow::Take(uint64_t count, FileWindow& part) {
    if (count > Remaining() || file_ == nullptr) return false;
    part = FileWindow(*file_, position_, position_ + count);
    position_ += count;
    return true;
}

bool FileWindow::ReadU32BE(uint32_t& value) {
    std::array<uint8_t, 4> bytes;
    ByteCursor field(bytes.data(), bytes.size());
    return Read(bytes) && field.ReadU32BE(value);
}

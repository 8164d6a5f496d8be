#include "selection/list_output.h"

#include "platform/file_io.h"

namespace qv {

void ListOutputFile::Create() {
    text_.clear();
    open_ = true;
}

void ListOutputFile::Close() {
    if (!open_) return;
    // Still open when the write fails: the caller may try again or discard.
    WriteFileAtomic(path_, text_);
    Discard();
}

void ListOutputFile::Discard() {
    text_.clear();
    text_.shrink_to_fit();
    open_ = false;
}

}  // namespace qv

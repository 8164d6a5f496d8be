#pragma once
#include <QImage>
#include <string>

namespace qv {

// Writes the picture as a bitmap file through the atomic write, unsynced (a picture is drawn
// again at every use, and the redraw must not wait for the disk): a failure raises the
// input/output error and leaves the previous picture whole.
void SaveBitmapFile(const QImage& picture, const std::string& path);

}  // namespace qv

#include "platform/ui/bitmap_file.h"

#include <QBuffer>
#include <QByteArray>
#include <string_view>

#include "platform/file_io.h"
#include "platform/io_error.h"

namespace qv {

void SaveBitmapFile(const QImage& picture, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "BMP")) ThrowIo(kDiskWriteError, path);
    WriteFileAtomic(path, std::string_view(bytes.constData(), size_t(bytes.size())), Durability::Unsynced);
}

}  // namespace qv

#include "selection/clickable_list.h"

#include "core/data_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/text_file.h"

namespace qv {

namespace {}  // namespace

std::optional<StagedList> StageClickableList() {
    TextReader in;
    if (!in.Open(DataFilePath(data_file::kListOutput))) return std::nullopt;
    StagedList list;
    std::string staging;
    while (!in.Eof()) {
        ++list.lineCount;
        if (list.lineCount > kClickableListRows) {
            in.SkipLine();
            continue;
        }
        std::string line = in.ReadLine(kClickableLineChars);
        staging += line;
        staging += "\r\n";
        list.rows.push_back(std::move(line));
    }
    WriteFileAtomic(DataFilePath(data_file::kReport), staging);
    return list;
}

int32_t ListRowCard(int32_t row) {
    RecordFile rows(DataFilePath(data_file::kRowCard), 4, RecordFile::Mode::Read);
    uint8_t record[4];
    rows.Read(row, record);
    return GetI32(record);
}

std::vector<int32_t> ListRowCards() {
    const std::string bytes = ReadFileOrThrow(DataFilePath(data_file::kRowCard));
    std::vector<int32_t> cards(bytes.size() / 4);
    for (size_t k = 0; k < cards.size(); ++k)
        cards[k] = GetI32(reinterpret_cast<const uint8_t*>(bytes.data()) + 4 * k);
    return cards;
}

std::vector<std::string> ListPrintLines() {
    TextReader in;
    in.OpenOrThrow(DataFilePath(data_file::kListOutput));
    std::vector<std::string> lines;
    while (!in.Eof()) lines.push_back(in.ReadLine(kPrintedListLineChars));
    return lines;
}

}  // namespace qv

#include "selection/email.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "core/card_store.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/selection_files.h"
#include "platform/bytes.h"
#include "platform/file_io.h"
#include "platform/io_error.h"
#include "platform/text_file.h"

namespace qv {

namespace {

constexpr size_t kSettingsLineChars = 255;
constexpr size_t kRecipientChars = 255;
// The text box keeps lines of any length.
constexpr size_t kTextLineChars = SIZE_MAX;

// A value that must stay on its own line of a settings file.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

void SaveLines(const std::string& path, const std::vector<std::string>& lines) {
    TextBuilder text;
    for (const std::string& line : lines) text.Line(line);
    text.Save(path);
}

std::optional<std::vector<std::string>> ReadLines(const std::string& path, size_t width) {
    return TextReader::ReadLines(path, width);
}

// The word of `field` in a card's numeric part (1-based); 0 when the field has none.
int CardWordOf(int field) {
    if (field <= 0 || field > std::min(CoreState.FieldCount, kMaxFields)) return 0;
    const int p = FieldPositions[field];
    return p >= 1 && p <= CurrentCardGeometry().wordCount ? p : 0;
}

std::string FieldText(const RecordFile& text, int32_t card, int field) {
    const CardGeometry g = CurrentCardGeometry();
    const size_t length = std::min<size_t>(size_t(-FieldTypes[field]), kRecipientChars);
    std::string bytes(length, '\0');
    text.Read(int64_t(card) * g.textBytes + FieldTextOffsets[field] - 1, bytes.data(), int64_t(length));
    bytes.resize(std::strlen(bytes.c_str()));
    return bytes;
}

std::string Recipient(const RecordFile& text, int32_t card) {
    return FieldText(text, card, CoreState.EmailNameField) + " <" +
           FieldText(text, card, CoreState.EmailAddressField) + ">";
}

void WriteCardWord(RecordFile& values, int32_t card, int word, int value) {
    const int64_t index = int64_t(card) * CurrentCardGeometry().wordCount + word - 1;
    // The card must be there: a write past the end would make up the cards before it.
    if (index >= values.RecordCount()) ThrowIo(kReadPastEnd, values.Path());
    uint8_t bytes[2];
    PutU16(bytes, uint16_t(value));
    values.Write(index, bytes);
}

bool RecipientFieldsUsable() {
    return IsEmailTextField(CoreState.EmailNameField) && IsEmailTextField(CoreState.EmailAddressField);
}

void ForOneRecipient(SmtpMessage& message, const std::string& recipient) {
    message.to = {recipient};
    message.cc.clear();
    message.bcc.clear();
}

}  // namespace

std::optional<EmailSettings> LoadEmailSettings() {
    TextReader in;
    if (!in.Open(DataFilePath(data_file::kMailSettings))) return std::nullopt;
    EmailSettings s;
    for (std::string* line : {&s.host, &s.port, &s.userId, &s.name, &s.address})
        *line = in.ReadLine(kSettingsLineChars);
    return s;
}

void SaveEmailSettings(const EmailSettings& s) {
    SaveLines(DataFilePath(data_file::kMailSettings),
              {OneLine(s.host), OneLine(s.port), OneLine(s.userId), OneLine(s.name), OneLine(s.address)});
}

std::optional<std::string> LoadEmailSubject() {
    TextReader in;
    if (!in.Open(DataFilePath(data_file::kMailSubject))) return std::nullopt;
    return in.ReadLine(kSettingsLineChars);
}

void SaveEmailSubject(const std::string& subject) {
    SaveLines(DataFilePath(data_file::kMailSubject), {OneLine(subject)});
}

std::optional<std::vector<std::string>> LoadEmailText() {
    return ReadLines(DataFilePath(data_file::kMailText), kTextLineChars);
}

void SaveEmailText(const std::vector<std::string>& lines) {
    SaveLines(DataFilePath(data_file::kMailText), lines);
}

std::vector<std::string> ReadMessageFile(const std::string& path) {
    TextReader in;
    in.OpenOrThrow(path);
    std::vector<std::string> lines;
    while (!in.Eof()) lines.push_back(in.ReadLine(kTextLineChars));
    return lines;
}

void WriteMessageFile(const std::string& path, const std::vector<std::string>& lines) {
    SaveLines(path, lines);
}

int BoxNumber(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t(INT_MAX) + 1);
    value = negative ? -value : value;
    return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

std::optional<int> WholeNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    if (i == text.size() || text.size() - i > 9) return std::nullopt;
    for (size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return std::nullopt;
    return BoxNumber(text);
}

bool IsEmailTextField(int field) {
    if (field <= 0 || field > std::min(CoreState.FieldCount, kMaxFields)) return false;
    if (FieldTypes[field] >= 0) return false;
    const int64_t first = FieldTextOffsets[field];
    const int64_t length = std::min<int64_t>(-int64_t(FieldTypes[field]), kRecipientChars);
    return first >= 1 && first - 1 + length <= CurrentCardGeometry().textBytes;
}

std::string CardRecipient(int32_t card) {
    const RecordFile text(DataFilePath(data_file::kCardText), 1, RecordFile::Mode::Read);
    return Recipient(text, card);
}

CurrentCardSend SendToCurrentCard(SmtpClient& client, SmtpMessage message, const RecipientShown& shown) {
    CurrentCardSend result;
    if (!RecipientFieldsUsable()) {
        result.outcome = EmailRunOutcome::FieldError;
        return result;
    }
    result.recipient = CardRecipient(CoreState.CurrentCard);
    ForOneRecipient(message, result.recipient);
    if (shown) shown(result.recipient);
    result.accepted = client.Send(message) > 0;
    return result;
}

SelectedCardsSend SendToSelectedCards(SmtpClient& client, SmtpMessage message, Progress& progress,
                                      const RecipientShown& shown) {
    SelectedCardsSend result;
    const int markWord = CardWordOf(CoreState.EmailConditionField);
    const int statusWord = CardWordOf(CoreState.EmailErrorField);
    if (!RecipientFieldsUsable()) {
        result.outcome = EmailRunOutcome::FieldError;
        return result;
    }
    progress.SetMaximum(std::max<int32_t>(CoreState.LastCard, 0));
    const RecordFile text(DataFilePath(data_file::kCardText), 1, RecordFile::Mode::Read);
    RecordFile values(DataFilePath(data_file::kCardValues), 2, RecordFile::Mode::ReadWrite);
    for (int32_t c = 0; c <= CoreState.LastCard; ++c) {
        if (!IsCardSelected(c)) continue;
        progress.SetPosition(c);
        const std::string recipient = Recipient(text, c);
        ForOneRecipient(message, recipient);
        if (shown) shown(recipient);
        // Written first, so that a run that ends in this card's send leaves the error value.
        if (statusWord) WriteCardWord(values, c, statusWord, CoreState.EmailErrorCode);
        if (client.Send(message) == 0) {
            // Not sent: the card keeps the error value and gets no mark.
            ++result.refused;
            continue;
        }
        ++result.sent;
        if (statusWord) WriteCardWord(values, c, statusWord, CoreState.EmailSentCode);
        if (markWord && CoreState.EmailConditionCode > 0)
            WriteCardWord(values, c, markWord, CoreState.EmailConditionCode);
    }
    progress.SetPosition(0);
    return result;
}

}  // namespace qv

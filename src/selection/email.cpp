#include "selection/email.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "core/card_store.h"
#include "core/commits.h"
#include "core/core_state.h"
#include "core/data_files.h"
#include "core/field_type.h"
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

// A card's text as stored: the recipient comes from it. The status and mark words are set
// later, word by word on the card as it is then stored (CardFiles::RewriteWords), so an edit
// another station makes meanwhile stays.
struct StoredCard {
    std::vector<uint8_t> text;
};

StoredCard ReadStoredCard(const CardFiles& files, int32_t card) {
    StoredCard stored{std::vector<uint8_t>(size_t(files.Geometry().textBytes))};
    if (!files.ReadText(card, stored.text.data())) ThrowIo(kReadPastEnd, files.TextPath());
    return stored;
}

std::string FieldText(const StoredCard& card, int field) {
    const size_t first = size_t(FieldTextOffsets[field] - 1);
    const size_t length = std::min<size_t>(size_t(TypeOfField(field).TextWidth()), kRecipientChars);
    std::string bytes(reinterpret_cast<const char*>(card.text.data()) + first, length);
    bytes.resize(std::strlen(bytes.c_str()));
    return bytes;
}

std::string Recipient(const StoredCard& card) {
    return FieldText(card, CoreState.EmailNameField) + " <" + FieldText(card, CoreState.EmailAddressField) +
           ">";
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
    if (!TypeOfField(field).IsText()) return false;
    const int64_t first = FieldTextOffsets[field];
    const int64_t length = std::min<int64_t>(TypeOfField(field).TextWidth(), kRecipientChars);
    return first >= 1 && first - 1 + length <= CurrentCardGeometry().textBytes;
}

std::string CardRecipient(int32_t card) {
    return Recipient(ReadStoredCard(CardFiles::Current(), card));
}

CurrentCardSend SendToCurrentCard(SmtpClient& client, SmtpMessage message, const RecipientShown& shown) {
    CurrentCardSend result;
    if (!RecipientFieldsUsable()) {
        result.outcome = EmailRunOutcome::FieldError;
        return result;
    }
    // The new blank card on screen is in no file.
    if (CoreState.CurrentCard < 0 || CoreState.CurrentCard > CoreState.LastCard) {
        result.outcome = EmailRunOutcome::NoCard;
        return result;
    }
    if (!client.Connected()) throw SmtpError(SmtpFault::NotConnected, "");
    result.recipient = CardRecipient(CoreState.CurrentCard);
    ForOneRecipient(message, result.recipient);
    if (shown) shown(result.recipient);
    result.accepted = client.Send(message) > 0;
    return result;
}

SelectedCardsSend SendToSelectedCards(SmtpClient& client, SmtpMessage message, Progress& progress,
                                      const RecipientShown& shown) {
    SelectedCardsSend result;
    const int markWord = CoreState.EmailConditionCode > 0 ? CardWordOf(CoreState.EmailConditionField) : 0;
    const int statusWord = CardWordOf(CoreState.EmailErrorField);
    if (!RecipientFieldsUsable()) {
        result.outcome = EmailRunOutcome::FieldError;
        return result;
    }
    if ((markWord || statusWord) && !ArchiveWritable()) {
        result.outcome = EmailRunOutcome::ReadOnly;
        return result;
    }
    // Checked before any card gets a value.
    if (!client.Connected()) throw SmtpError(SmtpFault::NotConnected, "");
    std::vector<int32_t> cards;
    for (int32_t c = 0; c <= CoreState.LastCard; ++c)
        if (IsCardSelected(c)) cards.push_back(c);
    progress.SetMaximum(int(cards.size()));
    const CardFiles files = CardFiles::Current();
    for (size_t i = 0; i < cards.size(); ++i) {
        const int32_t c = cards[i];
        StoredCard stored = ReadStoredCard(files, c);
        const std::string recipient = Recipient(stored);
        ForOneRecipient(message, recipient);
        if (shown) shown(recipient);
        // Written first, so that a run that ends in this card's send leaves the error value.
        files.RewriteWords(c, {{statusWord, uint16_t(CoreState.EmailErrorCode)}});
        int accepted = 0;
        try {
            accepted = client.Send(message);
        } catch (const SmtpError& e) {
            // The connection is gone: the cards after this one are not tried.
            ++result.refused;
            result.notTried = int(cards.size() - i - 1);
            result.failure = e;
            break;
        }
        progress.SetPosition(int(i + 1));
        if (accepted == 0) {
            // Not sent: the card keeps the error value and gets no mark.
            ++result.refused;
            continue;
        }
        ++result.sent;
        files.RewriteWords(c, {{statusWord, uint16_t(CoreState.EmailSentCode)},
                               {markWord, uint16_t(CoreState.EmailConditionCode)}});
    }
    // The bar ends full, however the run ended.
    progress.SetPosition(int(cards.size()));
    return result;
}

}  // namespace qv

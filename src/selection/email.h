#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/progress.h"
#include "platform/smtp_client.h"

// E-mail to the cards: one message, composed once, sent to the current card or to every
// selected card, the recipient taken from two text fields of the card as stored ("Name
// <address>"). Sending to the selected cards can write a status value and a mark value into
// fields of each card, through the card files' locked, journaled rewrite. The SMTP settings,
// subject and text live in "email.txt", "emailogg.txt" and "emailtxt.txt" of the program
// directory; message texts the user keeps are plain text files ("*.emt").

namespace qv {

// "email.txt": one a line, in this order.
struct EmailSettings {
    std::string host;
    std::string port;
    std::string userId;
    std::string name;
    std::string address;
};

// nullopt when the file does not open; lines it lacks are empty.
std::optional<EmailSettings> LoadEmailSettings();
void SaveEmailSettings(const EmailSettings& settings);
// "emailogg.txt", line 1.
std::optional<std::string> LoadEmailSubject();
void SaveEmailSubject(const std::string& subject);
// "emailtxt.txt", every line.
std::optional<std::vector<std::string>> LoadEmailText();
void SaveEmailText(const std::vector<std::string>& lines);
// A message file of the user's: its lines. Reading raises the input/output error when the
// file does not open.
std::vector<std::string> ReadMessageFile(const std::string& path);
void WriteMessageFile(const std::string& path, const std::vector<std::string>& lines);

// A box's whole number from its leading digits (an optional sign first), else 0.
int BoxNumber(std::string_view text);
// The whole text as a whole number (blanks around allowed); nullopt when it is not one.
std::optional<int> WholeNumber(std::string_view text);

// A text field whose characters lie inside the card.
bool IsEmailTextField(int field);
// The recipient of card `card` as stored: the name field's text, a blank, and the address
// field's text in angle brackets; each text up to its first zero byte. Raises the
// input/output error when the card is not in "alf-sch.dat".
std::string CardRecipient(int32_t card);

// FieldError: the recipient fields are not texts of the card; NoCard: the card on screen is
// the new blank card; ReadOnly: a value would be written without write access.
enum class EmailRunOutcome { Done, FieldError, NoCard, ReadOnly };

// Called with each recipient before its message is sent.
using RecipientShown = std::function<void(const std::string& recipient)>;

struct CurrentCardSend {
    EmailRunOutcome outcome = EmailRunOutcome::Done;
    std::string recipient;
    bool accepted = false;  // the server took the recipient and the message
};
// The message to card CoreState.CurrentCard (CoreState.EmailAddressField/EmailNameField).
// No card value is written. Raises SmtpError NotConnected without a connection; an SmtpError or
// IoError from the send propagates.
CurrentCardSend SendToCurrentCard(SmtpClient& client, SmtpMessage message, const RecipientShown& shown);

struct SelectedCardsSend {
    EmailRunOutcome outcome = EmailRunOutcome::Done;
    int sent = 0;
    int refused = 0;
    int notTried = 0;
    // The failure that ended the run early (the connection is then closed).
    std::optional<SmtpError> failure;
};
// The message to every selected card, in card order. With a status field
// (CoreState.EmailErrorField) the card gets EmailErrorCode before its send and EmailSentCode
// once the server took the message; with a mark field and EmailConditionCode above 0 it then
// gets the mark. A card whose recipient the server refuses keeps the error value and the run
// goes on; an SmtpError ends the run at that card (counted refused; the rest not tried), an
// IoError propagates. The progress runs over the selected cards and ends full. Nothing is
// written, and SmtpError NotConnected raised, without a connection.
SelectedCardsSend SendToSelectedCards(SmtpClient& client, SmtpMessage message, Progress& progress,
                                      const RecipientShown& shown);

}  // namespace qv

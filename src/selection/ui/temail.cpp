#include "selection/ui/temail.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/core_state.h"
#include "core/text_tables.h"
#include "core/ui/form_kit.h"
#include "core/ui/thelprtf.h"
#include "platform/progress.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_text.h"
#include "selection/email.h"

namespace qv {

namespace {

constexpr int kWindowCaption = 1907;
constexpr int kExitCaption = 1908;
constexpr int kHelpGeneralCaption = 1909;
constexpr int kUpdateCaption = 1910;
constexpr int kHelpCaption = 1911;
constexpr int kSenderNameCaption = 1912;
constexpr int kSenderAddressCaption = 1913;
constexpr int kHostCaption = 1914;
constexpr int kPortCaption = 1915;
constexpr int kPortAdvice = 1916;
constexpr int kUserCaption = 1917;
constexpr int kSettingsPage = 1918;
constexpr int kAttachCaption = 1919;
constexpr int kSaveCaption = 1920;
constexpr int kRecallCaption = 1921;
constexpr int kSubjectCaption = 1922;
constexpr int kAttachmentsCaption = 1923;
constexpr int kComposePage = 1924;
constexpr int kConnectCaption = 1925;
constexpr int kDisconnectCaption = 1926;
constexpr int kCardPanelCaption = 1927;
constexpr int kSendSelectedCaption = 1928;
constexpr int kSendShownCaption = 1929;
constexpr int kAddressFieldCaption = 1930;
constexpr int kNameFieldCaption = 1931;
constexpr int kMarkFieldCaption = 1932;
constexpr int kSentCodeCaption = 1933;
constexpr int kErrorFieldCaption = 1934;
constexpr int kErrorValueCaption = 1935;
constexpr int kSentValueCaption = 1936;
constexpr int kSendToCaption = 1937;
constexpr int kCcCaption = 1938;
constexpr int kBccCaption = 1939;
constexpr int kSendingPage = 1940;
constexpr int kNotWholeText = 1941;
constexpr int kConnectedText = 1942;
constexpr int kDisconnectedText = 1943;
constexpr int kNoPasswordText = 1944;
constexpr int kNotConnectedText = 1945;
constexpr int kFieldErrorText = 1946;
constexpr int kRefusedText = 1947;
constexpr int kSentToText = 1949;
constexpr int kNoCardText = 2236;
constexpr int kSentCountText = 2237;
constexpr int kRefusedCountText = 2238;
constexpr int kNotTriedCountText = 2239;
constexpr int kReadOnlyText = 2240;
// A run's refusals told at its end; the count of all is in the run's account.
constexpr size_t kRefusalsShown = 20;

constexpr int kHelpGeneral = 107;
constexpr int kHelpSettings = 108;
constexpr int kHelpMessage = 109;
constexpr int kHelpSending = 110;
constexpr int kPasswordCaption = 1751;
constexpr int kPasswordHint = 1752;
constexpr int kBadSenderMessage = 1753;

// The message for each failure of the mail client.
constexpr struct {
    SmtpFault fault;
    int text;
} kFaultTexts[] = {
    {SmtpFault::BadSender, kBadSenderMessage},
    {SmtpFault::BadHost, 1754},
    {SmtpFault::BadPort, 1755},
    {SmtpFault::Connect, 1756},
    {SmtpFault::NoTls, 1757},
    {SmtpFault::Certificate, 1758},
    {SmtpFault::Tls, 1759},
    {SmtpFault::Login, 1760},
    {SmtpFault::NoLogin, 2235},
    {SmtpFault::Timeout, 1761},
    {SmtpFault::Dropped, 1762},
    {SmtpFault::Refused, 1763},
};
constexpr int kOtherFaultText = 1764;

QPushButton* Button(QWidget* owner, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, owner);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* Edit(QWidget* owner, const char* name, bool readOnly = false) {
    auto* e = new QLineEdit(owner);
    e->setObjectName(name);
    e->setReadOnly(readOnly);
    return e;
}

std::string Text(const QLineEdit* e) {
    return Cp(e->text());
}

// Login names and passwords go to the server as UTF-8, as SASL has them.
std::string Utf8(const QLineEdit* e) {
    return e->text().toUtf8().toStdString();
}

// A card-panel box as the signed 16-bit number CoreState keeps.
int PanelNumber(const QLineEdit* e) {
    return std::clamp(BoxNumber(Text(e)), -32768, 32767);
}

std::string RunCountText(const SelectedCardsSend& run) {
    return LoadText(kSentCountText) + " " + std::to_string(run.sent) + ", " + LoadText(kRefusedCountText) +
           " " + std::to_string(run.refused) + ", " + LoadText(kNotTriedCountText) + " " +
           std::to_string(run.notTried);
}

}  // namespace

TEmail::TEmail(QWidget* owner) : QDialog(owner) {
    setObjectName("TEmail");
    NMSMTP1.SetEvents(this);
    FormCreate();
}

void TEmail::FormCreate() {
    setWindowTitle(Qs(LoadText(kWindowCaption)));
    Pagine = new QTabWidget(this);
    Pagine->setObjectName("Pagine");
    Esci = Button(this, "Esci", Qs(LoadText(kExitCaption)));
    Help_Generale = Button(this, "Help_Generale", Qs(LoadText(kHelpGeneralCaption)));
    Aggiorna = Button(this, "Aggiorna", Qs(LoadText(kUpdateCaption)));

    auto* settings = new QWidget(Pagine);
    Nome = Edit(settings, "Nome");
    indirizzoEmail = Edit(settings, "indirizzoEmail");
    Host = Edit(settings, "Host");
    Port = Edit(settings, "Port");
    Port->setText(QStringLiteral("25"));
    UserID = Edit(settings, "UserID");
    Password = Edit(settings, "Password");
    Password->setEchoMode(QLineEdit::Password);
    Password->setToolTip(Qs(LoadText(kPasswordHint)));
    Help_Imposta = Button(settings, "Help_Imposta", Qs(LoadText(kHelpCaption)));
    auto* settingsLayout = new QFormLayout(settings);
    settingsLayout->addRow(Qs(LoadText(kSenderNameCaption)), Nome);
    settingsLayout->addRow(Qs(LoadText(kSenderAddressCaption)), indirizzoEmail);
    settingsLayout->addRow(Qs(LoadText(kHostCaption)), Host);
    settingsLayout->addRow(Qs(LoadText(kPortCaption)), Port);
    settingsLayout->addRow(QString(), new QLabel(Qs(LoadText(kPortAdvice))));
    settingsLayout->addRow(Qs(LoadText(kUserCaption)), UserID);
    settingsLayout->addRow(Qs(LoadText(kPasswordCaption)), Password);
    settingsLayout->addRow(QString(), Help_Imposta);
    Pagine->addTab(settings, Qs(LoadText(kSettingsPage)));

    auto* compose = new QWidget(Pagine);
    Oggetto = Edit(compose, "Oggetto");
    Allegati = new QListWidget(compose);
    Allegati->setObjectName("Allegati");
    AggiungeAllegati = Button(compose, "AggiungeAllegati", Qs(LoadText(kAttachCaption)));
    Testo = new QPlainTextEdit(compose);
    Testo->setObjectName("Testo");
    Salva = Button(compose, "Salva", Qs(LoadText(kSaveCaption)));
    Recupera = Button(compose, "Recupera", Qs(LoadText(kRecallCaption)));
    Help_Messaggio = Button(compose, "Help_Messaggio", Qs(LoadText(kHelpCaption)));
    auto* composeLayout = new QGridLayout(compose);
    composeLayout->addWidget(new QLabel(Qs(LoadText(kSubjectCaption))), 0, 0);
    composeLayout->addWidget(Oggetto, 0, 1, 1, 3);
    composeLayout->addWidget(new QLabel(Qs(LoadText(kAttachmentsCaption))), 1, 0);
    composeLayout->addWidget(Allegati, 1, 1, 1, 2);
    composeLayout->addWidget(AggiungeAllegati, 1, 3);
    composeLayout->addWidget(Testo, 2, 0, 1, 4);
    composeLayout->addWidget(Salva, 3, 0);
    composeLayout->addWidget(Recupera, 3, 1);
    composeLayout->addWidget(Help_Messaggio, 3, 3);
    Pagine->addTab(compose, Qs(LoadText(kComposePage)));

    auto* sending = new QWidget(Pagine);
    Connetti = Button(sending, "Connetti", Qs(LoadText(kConnectCaption)));
    StatusConnetti = Edit(sending, "StatusConnetti", true);
    Disconnetti = Button(sending, "Disconnetti", Qs(LoadText(kDisconnectCaption)));
    PannelloScheda = new QGroupBox(Qs(LoadText(kCardPanelCaption)), sending);
    PannelloScheda->setObjectName("PannelloScheda");
    nEmail = Edit(PannelloScheda, "nEmail");
    nNome = Edit(PannelloScheda, "nNome");
    nCampo = Edit(PannelloScheda, "nCampo");
    nCodice = Edit(PannelloScheda, "nCodice");
    CampoErrore = Edit(PannelloScheda, "CampoErrore");
    Errore = Edit(PannelloScheda, "Errore");
    Inviato = Edit(PannelloScheda, "Inviato");
    InviaSelezionate = Button(PannelloScheda, "InviaSelezionate", Qs(LoadText(kSendSelectedCaption)));
    Button1 = Button(PannelloScheda, "Button1", Qs(LoadText(kSendShownCaption)));
    Barra = new QProgressBar(PannelloScheda);
    Barra->setObjectName("Barra");
    Barra->setRange(0, 1);
    Barra->setValue(0);
    StatusSchedaVisualizzata = Edit(PannelloScheda, "StatusSchedaVisualizzata", true);
    auto* cardLayout = new QFormLayout(PannelloScheda);
    cardLayout->addRow(Qs(LoadText(kAddressFieldCaption)), nEmail);
    cardLayout->addRow(Qs(LoadText(kNameFieldCaption)), nNome);
    cardLayout->addRow(Qs(LoadText(kMarkFieldCaption)), nCampo);
    cardLayout->addRow(Qs(LoadText(kSentCodeCaption)), nCodice);
    cardLayout->addRow(Qs(LoadText(kErrorFieldCaption)), CampoErrore);
    cardLayout->addRow(Qs(LoadText(kErrorValueCaption)), Errore);
    cardLayout->addRow(Qs(LoadText(kSentValueCaption)), Inviato);
    cardLayout->addRow(InviaSelezionate);
    cardLayout->addRow(Button1);
    cardLayout->addRow(Barra);
    cardLayout->addRow(StatusSchedaVisualizzata);
    auto* direct = new QGroupBox(sending);
    a = Edit(direct, "a");
    cc = Edit(direct, "cc");
    bcc = Edit(direct, "bcc");
    Invia = Button(direct, "Invia", Qs(LoadText(kSendToCaption)));
    StatusInviata = Edit(direct, "StatusInviata", true);
    auto* directLayout = new QFormLayout(direct);
    directLayout->addRow(Invia, a);
    directLayout->addRow(Qs(LoadText(kCcCaption)), cc);
    directLayout->addRow(Qs(LoadText(kBccCaption)), bcc);
    directLayout->addRow(StatusInviata);
    Help_Invio = Button(sending, "Help_Invio", Qs(LoadText(kHelpCaption)));
    auto* sendingLayout = new QGridLayout(sending);
    sendingLayout->addWidget(Connetti, 0, 0);
    sendingLayout->addWidget(StatusConnetti, 0, 1);
    sendingLayout->addWidget(Disconnetti, 0, 2);
    sendingLayout->addWidget(PannelloScheda, 1, 0, 1, 3);
    sendingLayout->addWidget(direct, 2, 0, 1, 3);
    sendingLayout->addWidget(Help_Invio, 3, 2);
    Pagine->addTab(sending, Qs(LoadText(kSendingPage)));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Pagine);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Aggiorna);
    buttons->addWidget(Esci);
    buttons->addWidget(Help_Generale);
    layout->addLayout(buttons);

    connect(Esci, &QPushButton::clicked, this, &TEmail::EsciClick);
    connect(Aggiorna, &QPushButton::clicked, this, &TEmail::AggiornaClick);
    connect(Help_Generale, &QPushButton::clicked, this, &TEmail::Help_GeneraleClick);
    connect(Help_Imposta, &QPushButton::clicked, this, &TEmail::Help_ImpostaClick);
    connect(Help_Messaggio, &QPushButton::clicked, this, &TEmail::Help_MessaggioClick);
    connect(Help_Invio, &QPushButton::clicked, this, &TEmail::Help_InvioClick);
    connect(AggiungeAllegati, &QPushButton::clicked, this, &TEmail::AggiungeAllegatiClick);
    connect(Salva, &QPushButton::clicked, this, &TEmail::SalvaClick);
    connect(Recupera, &QPushButton::clicked, this, &TEmail::RecuperaClick);
    connect(Connetti, &QPushButton::clicked, this, &TEmail::ConnettiClick);
    connect(Disconnetti, &QPushButton::clicked, this, &TEmail::DisconnettiClick);
    connect(InviaSelezionate, &QPushButton::clicked, this, &TEmail::InviaSelezionateClick);
    connect(Button1, &QPushButton::clicked, this, &TEmail::Button1Click);
    connect(Invia, &QPushButton::clicked, this, &TEmail::InviaClick);

    connected_ = false;
    if (const auto subject = LoadEmailSubject()) Oggetto->setText(Qs(*subject));
    if (const auto lines = LoadEmailText()) {
        QStringList text;
        for (const std::string& line : *lines) text << Qs(line);
        Testo->setPlainText(text.join('\n'));
    }
    if (const auto s = LoadEmailSettings()) {
        Host->setText(Qs(s->host));
        Port->setText(Qs(s->port));
        UserID->setText(Qs(s->userId));
        Nome->setText(Qs(s->name));
        indirizzoEmail->setText(Qs(s->address));
    }
    nEmail->setText(QString::number(CoreState.EmailAddressField));
    nNome->setText(QString::number(CoreState.EmailNameField));
    nCampo->setText(QString::number(CoreState.EmailConditionField));
    nCodice->setText(QString::number(CoreState.EmailConditionCode));
    CampoErrore->setText(QString::number(CoreState.EmailErrorField));
    Errore->setText(QString::number(CoreState.EmailErrorCode));
    Inviato->setText(QString::number(CoreState.EmailSentCode));
    subjectShown_ = Oggetto->text();
    textShown_ = Testo->toPlainText();
}

std::vector<std::string> TEmail::TestoLines() const {
    std::vector<std::string> lines;
    const QString text = Testo->toPlainText();
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split('\n')) lines.push_back(Cp(line));
    return lines;
}

void TEmail::ConnettiClick() {
    const auto port = WholeNumber(Text(Port));
    if (!port) {
        ShowError("'" + Text(Port) + "' " + LoadText(kNotWholeText));
        return;
    }
    if (!SenderChecked()) return;
    try {
        // Resolving, TLS and the login may take a while with a distant server.
        WaitCursor wait;
        NMSMTP1.Connect(Text(Host), *port, Utf8(UserID), Utf8(Password));
    } catch (const SmtpError& e) {
        ShowSmtpError(e);
    }
}

bool TEmail::SenderChecked() const {
    if (SenderAddress(Text(indirizzoEmail))) return true;
    ShowError(LoadText(kBadSenderMessage));
    return false;
}

void TEmail::ShowSmtpError(const SmtpError& error) const {
    int text = kOtherFaultText;
    for (const auto& f : kFaultTexts)
        if (f.fault == error.Fault()) text = f.text;
    const std::string detail = error.what();
    ShowError(LoadText(text) + (detail.empty() ? "" : "\n" + detail));
}

void TEmail::DisconnettiClick() {
    NMSMTP1.Disconnect();
}

void TEmail::NMSMTP1Connect() {
    StatusConnetti->setText(Qs(LoadText(kConnectedText)));
    connected_ = true;
}

void TEmail::NMSMTP1Disconnect() {
    connected_ = false;
    StatusConnetti->setText(Qs(LoadText(kDisconnectedText)));
}

void TEmail::NMSMTP1Failure() {}

void TEmail::NMSMTP1RecipientNotFound(const std::string& recipient, const std::string& reply) {
    refusals_.push_back(recipient + (reply.empty() ? "" : " (" + reply + ")"));
}

std::string TEmail::RefusalsText(const std::string& separator, size_t most) const {
    const std::string refused = LoadText(kRefusedText) + " ";
    std::string text;
    for (size_t i = 0; i < refusals_.size() && i < most; ++i)
        text += (text.empty() ? "" : separator) + refused + refusals_[i];
    return text;
}

bool TEmail::MaySend(QLineEdit* status) const {
    if (!CoreState.WriteAccess) {
        status->setText(Qs(LoadText(kNoPasswordText)));
        return false;
    }
    if (!connected_) {
        status->setText(Qs(LoadText(kNotConnectedText)));
        return false;
    }
    return true;
}

SmtpMessage TEmail::Message() const {
    SmtpMessage m;
    m.senderAddress = Text(indirizzoEmail);
    m.senderName = Text(Nome);
    m.subject = Text(Oggetto);
    for (int i = 0; i < Allegati->count(); ++i) m.attachments.push_back(FsPath(Allegati->item(i)->text()));
    m.lines = TestoLines();
    return m;
}

void TEmail::StoreRecipientFields() const {
    CoreState.EmailAddressField = PanelNumber(nEmail);
    CoreState.EmailNameField = PanelNumber(nNome);
}

void TEmail::StoreCardPanel() const {
    StoreRecipientFields();
    CoreState.EmailConditionField = PanelNumber(nCampo);
    CoreState.EmailConditionCode = PanelNumber(nCodice);
    CoreState.EmailErrorField = PanelNumber(CampoErrore);
    CoreState.EmailErrorCode = PanelNumber(Errore);
    CoreState.EmailSentCode = PanelNumber(Inviato);
}

void TEmail::InviaClick() {
    if (!MaySend(StatusInviata) || !SenderChecked()) return;
    SmtpMessage m = Message();
    m.to = {Text(a)};
    m.bcc = {Text(bcc)};
    m.cc = {Text(cc)};
    int accepted = 0;
    refusals_.clear();
    try {
        accepted = NMSMTP1.Send(m);
    } catch (const SmtpError& e) {
        ShowSmtpError(e);
        return;
    }
    // Nobody took the message: saying it was sent would be false. Each refusal is told with
    // the server's reply.
    std::string status = accepted > 0 ? LoadText(kSentToText) + " " + Text(a) : std::string();
    const std::string refused = RefusalsText();
    if (status.empty() && refused.empty()) status = LoadText(kRefusedText) + " " + Text(a);
    if (!refused.empty()) status += (status.empty() ? "" : "; ") + refused;
    StatusInviata->setText(Qs(status));
}

void TEmail::Button1Click() {
    if (!MaySend(StatusSchedaVisualizzata) || !SenderChecked()) return;
    StoreRecipientFields();
    CurrentCardSend result;
    refusals_.clear();
    try {
        result = SendToCurrentCard(
            NMSMTP1, Message(), [this](const std::string& r) { StatusSchedaVisualizzata->setText(Qs(r)); });
    } catch (const SmtpError& e) {
        ShowSmtpError(e);
        return;
    }
    if (result.outcome == EmailRunOutcome::FieldError)
        StatusSchedaVisualizzata->setText(Qs(LoadText(kFieldErrorText)));
    else if (result.outcome == EmailRunOutcome::NoCard)
        StatusSchedaVisualizzata->setText(Qs(LoadText(kNoCardText)));
    else if (!result.accepted)
        StatusSchedaVisualizzata->setText(
            Qs(!refusals_.empty() ? RefusalsText() : LoadText(kRefusedText) + " " + result.recipient));
}

void TEmail::InviaSelezionateClick() {
    if (!MaySend(StatusSchedaVisualizzata) || !SenderChecked()) return;
    StoreCardPanel();
    BarProgress progress(Barra);
    SelectedCardsSend result;
    refusals_.clear();
    try {
        WaitCursor wait;
        result = SendToSelectedCards(NMSMTP1, Message(), progress, [this](const std::string& r) {
            StatusSchedaVisualizzata->setText(Qs(r));
        });
    } catch (const SmtpError& e) {
        ShowSmtpError(e);
        return;
    }
    if (result.outcome == EmailRunOutcome::FieldError) {
        StatusSchedaVisualizzata->setText(Qs(LoadText(kFieldErrorText)));
        return;
    }
    if (result.outcome == EmailRunOutcome::ReadOnly) {
        StatusSchedaVisualizzata->setText(Qs(LoadText(kReadOnlyText)));
        return;
    }
    // The run's account, also when a lost connection ended it early; then the recipients the
    // server refused, each with its reply.
    StatusSchedaVisualizzata->setText(Qs(RunCountText(result)));
    if (!refusals_.empty()) ShowError(RefusalsText("\n", kRefusalsShown));
    if (result.failure) ShowSmtpError(*result.failure);
}

void TEmail::AggiungeAllegatiClick() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    const std::string path = AskFileName(request);
    if (!path.empty()) Allegati->addItem(QPath(path));
}

std::string TEmail::AskMessageFile(bool save) {
    FileDialogRequest request;
    request.kind = save ? FileDialogKind::Save : FileDialogKind::Open;
    request.directory = CoreState.ProgramDir;
    request.filter = "*.emt";
    request.fileName = "*.emt";
    return AskFileName(request);
}

void TEmail::SalvaClick() {
    const std::string path = AskMessageFile(true);
    if (!path.empty()) WriteMessageFile(path, TestoLines());
}

void TEmail::RecuperaClick() {
    const std::string path = AskMessageFile(false);
    if (path.empty()) return;
    QStringList text;
    for (const std::string& line : ReadMessageFile(path)) text << Qs(line);
    Testo->setPlainText(text.join('\n'));
}

void TEmail::AggiornaClick() {
    SaveEmailText(TestoLines());
    SaveEmailSubject(Text(Oggetto));
    SaveEmailSettings({Text(Host), Text(Port), Text(UserID), Text(Nome), Text(indirizzoEmail)});
    StoreCardPanel();
    accept();
}

void TEmail::EsciClick() {
    reject();
}

void TEmail::reject() {
    // Esci, Esc and the close box: a changed subject or text is never dropped unasked.
    if (Oggetto->text() != subjectShown_ || Testo->toPlainText() != textShown_) {
        switch (AskLeavingChangedText(true)) {
            case LeaveChoice::Save:
                AggiornaClick();
                return;
            case LeaveChoice::Discard:
                break;
            case LeaveChoice::GoBack:
                return;
        }
    }
    QDialog::reject();
}

void TEmail::Help_GeneraleClick() {
    ShowHelpPage(this, kHelpGeneral);
}
void TEmail::Help_ImpostaClick() {
    ShowHelpPage(this, kHelpSettings);
}
void TEmail::Help_MessaggioClick() {
    ShowHelpPage(this, kHelpMessage);
}
void TEmail::Help_InvioClick() {
    ShowHelpPage(this, kHelpSending);
}

void OpenEmailDialog(QWidget* owner) {
    TEmail dialog(owner);
    ShowModal(dialog);
}

}  // namespace qv

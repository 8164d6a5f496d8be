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

}  // namespace

TEmail::TEmail(QWidget* owner) : QDialog(owner) {
    setObjectName("TEmail");
    NMSMTP1.SetEvents(this);
    FormCreate();
}

void TEmail::FormCreate() {
    setWindowTitle(QStringLiteral("Invio di posta elettronica (e-mail)"));
    Pagine = new QTabWidget(this);
    Pagine->setObjectName("Pagine");
    Esci = Button(this, "Esci", QStringLiteral("&Esci"));
    Help_Generale = Button(this, "Help_Generale", QStringLiteral("&Help"));
    Aggiorna = Button(this, "Aggiorna", QStringLiteral("Esci e &aggiorna le impostazioni"));

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
    Help_Imposta = Button(settings, "Help_Imposta", QStringLiteral("Help"));
    auto* settingsLayout = new QFormLayout(settings);
    settingsLayout->addRow(QStringLiteral("Nome del mittente:"), Nome);
    settingsLayout->addRow(QStringLiteral("Indirizzo e-mail del mittente:"), indirizzoEmail);
    settingsLayout->addRow(QStringLiteral("Host:"), Host);
    settingsLayout->addRow(QStringLiteral("Port:"), Port);
    settingsLayout->addRow(QString(),
                           new QLabel(QStringLiteral("in genere deve essere impostato sul valore 25")));
    settingsLayout->addRow(QStringLiteral("User ID:"), UserID);
    settingsLayout->addRow(Qs(LoadText(kPasswordCaption)), Password);
    settingsLayout->addRow(QString(), Help_Imposta);
    Pagine->addTab(settings, QStringLiteral("Impostazioni generali"));

    auto* compose = new QWidget(Pagine);
    Oggetto = Edit(compose, "Oggetto");
    Allegati = new QListWidget(compose);
    Allegati->setObjectName("Allegati");
    AggiungeAllegati = Button(compose, "AggiungeAllegati", QStringLiteral("Aggiunge &allegati"));
    Testo = new QPlainTextEdit(compose);
    Testo->setObjectName("Testo");
    Salva = Button(compose, "Salva", QStringLiteral("&Salva"));
    Recupera = Button(compose, "Recupera", QStringLiteral("&Recupera"));
    Help_Messaggio = Button(compose, "Help_Messaggio", QStringLiteral("Help"));
    auto* composeLayout = new QGridLayout(compose);
    composeLayout->addWidget(new QLabel(QStringLiteral("Oggetto:")), 0, 0);
    composeLayout->addWidget(Oggetto, 0, 1, 1, 3);
    composeLayout->addWidget(new QLabel(QStringLiteral("Allegati:")), 1, 0);
    composeLayout->addWidget(Allegati, 1, 1, 1, 2);
    composeLayout->addWidget(AggiungeAllegati, 1, 3);
    composeLayout->addWidget(Testo, 2, 0, 1, 4);
    composeLayout->addWidget(Salva, 3, 0);
    composeLayout->addWidget(Recupera, 3, 1);
    composeLayout->addWidget(Help_Messaggio, 3, 3);
    Pagine->addTab(compose, QStringLiteral("Composizione del messaggio"));

    auto* sending = new QWidget(Pagine);
    Connetti = Button(sending, "Connetti", QStringLiteral("&Connetti"));
    StatusConnetti = Edit(sending, "StatusConnetti", true);
    Disconnetti = Button(sending, "Disconnetti", QStringLiteral("&Disconnetti"));
    PannelloScheda =
        new QGroupBox(QStringLiteral("Invia prendendo l'indirizzo dalla scheda Morvidex:"), sending);
    PannelloScheda->setObjectName("PannelloScheda");
    nEmail = Edit(PannelloScheda, "nEmail");
    nNome = Edit(PannelloScheda, "nNome");
    nCampo = Edit(PannelloScheda, "nCampo");
    nCodice = Edit(PannelloScheda, "nCodice");
    CampoErrore = Edit(PannelloScheda, "CampoErrore");
    Errore = Edit(PannelloScheda, "Errore");
    Inviato = Edit(PannelloScheda, "Inviato");
    InviaSelezionate = Button(PannelloScheda, "InviaSelezionate",
                              QStringLiteral("&Invia utilizzando le schede selezionate"));
    Button1 = Button(PannelloScheda, "Button1", QStringLiteral("Invia utilizzando la &scheda visualizzata"));
    Barra = new QProgressBar(PannelloScheda);
    Barra->setObjectName("Barra");
    Barra->setRange(0, 1);
    Barra->setValue(0);
    StatusSchedaVisualizzata = Edit(PannelloScheda, "StatusSchedaVisualizzata", true);
    auto* cardLayout = new QFormLayout(PannelloScheda);
    cardLayout->addRow(QStringLiteral("posizione del campo e-mail:"), nEmail);
    cardLayout->addRow(QStringLiteral("posizione del campo nome:"), nNome);
    cardLayout->addRow(QStringLiteral("campo nel quale inserire:"), nCampo);
    cardLayout->addRow(QStringLiteral("valore da inserire se inviato:"), nCodice);
    cardLayout->addRow(QStringLiteral("campo errore:"), CampoErrore);
    cardLayout->addRow(QStringLiteral("valore errore:"), Errore);
    cardLayout->addRow(QStringLiteral("valore inviato:"), Inviato);
    cardLayout->addRow(InviaSelezionate);
    cardLayout->addRow(Button1);
    cardLayout->addRow(Barra);
    cardLayout->addRow(StatusSchedaVisualizzata);
    auto* direct = new QGroupBox(sending);
    a = Edit(direct, "a");
    cc = Edit(direct, "cc");
    bcc = Edit(direct, "bcc");
    Invia = Button(direct, "Invia", QStringLiteral("Invia &a:"));
    StatusInviata = Edit(direct, "StatusInviata", true);
    auto* directLayout = new QFormLayout(direct);
    directLayout->addRow(Invia, a);
    directLayout->addRow(QStringLiteral("cc:"), cc);
    directLayout->addRow(QStringLiteral("bcc:"), bcc);
    directLayout->addRow(StatusInviata);
    Help_Invio = Button(sending, "Help_Invio", QStringLiteral("Help"));
    auto* sendingLayout = new QGridLayout(sending);
    sendingLayout->addWidget(Connetti, 0, 0);
    sendingLayout->addWidget(StatusConnetti, 0, 1);
    sendingLayout->addWidget(Disconnetti, 0, 2);
    sendingLayout->addWidget(PannelloScheda, 1, 0, 1, 3);
    sendingLayout->addWidget(direct, 2, 0, 1, 3);
    sendingLayout->addWidget(Help_Invio, 3, 2);
    Pagine->addTab(sending, QStringLiteral("Invio"));

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
        ShowError("'" + Text(Port) + "' non \xE8 un valore intero valido");
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
    StatusConnetti->setText(QStringLiteral("Connessione Riuscita"));
    connected_ = true;
}

void TEmail::NMSMTP1Disconnect() {
    connected_ = false;
    StatusConnetti->setText(QStringLiteral("Disconnesso"));
}

void TEmail::NMSMTP1Failure() {}

void TEmail::NMSMTP1RecipientNotFound() {}

bool TEmail::MaySend(QLineEdit* status) const {
    if (!CoreState.WriteAccess) {
        status->setText(QStringLiteral("Non è stata inserita la PassWord"));
        return false;
    }
    if (!connected_) {
        status->setText(QStringLiteral("Non connesso, avviare la connessione"));
        return false;
    }
    return true;
}

SmtpMessage TEmail::Message() const {
    SmtpMessage m;
    m.senderAddress = Text(indirizzoEmail);
    m.senderName = Text(Nome);
    m.subject = Text(Oggetto);
    for (int i = 0; i < Allegati->count(); ++i) m.attachments.push_back(Cp(Allegati->item(i)->text()));
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
    try {
        accepted = NMSMTP1.Send(m);
    } catch (const SmtpError& e) {
        ShowSmtpError(e);
        return;
    }
    // Nobody took the message: saying it was sent would be false.
    StatusInviata->setText(
        (accepted > 0 ? QStringLiteral("Inviata a: ") : QStringLiteral("Destinatario rifiutato: ")) +
        a->text());
}

void TEmail::Button1Click() {
    if (!MaySend(StatusSchedaVisualizzata) || !SenderChecked()) return;
    StoreRecipientFields();
    CurrentCardSend result;
    try {
        result = SendToCurrentCard(
            NMSMTP1, Message(), [this](const std::string& r) { StatusSchedaVisualizzata->setText(Qs(r)); });
    } catch (const SmtpError& e) {
        ShowSmtpError(e);
        return;
    }
    if (result.outcome == EmailRunOutcome::FieldError)
        StatusSchedaVisualizzata->setText(QStringLiteral("Errore nei campi!!!"));
    else if (!result.accepted)
        StatusSchedaVisualizzata->setText(QStringLiteral("Destinatario rifiutato: ") + Qs(result.recipient));
}

void TEmail::InviaSelezionateClick() {
    if (!MaySend(StatusSchedaVisualizzata) || !SenderChecked()) return;
    StoreCardPanel();
    BarProgress progress(Barra);
    SelectedCardsSend result;
    try {
        WaitCursor wait;
        result = SendToSelectedCards(NMSMTP1, Message(), progress, [this](const std::string& r) {
            StatusSchedaVisualizzata->setText(Qs(r));
        });
    } catch (const SmtpError& e) {
        ShowSmtpError(e);
        return;
    }
    if (result.outcome == EmailRunOutcome::FieldError)
        StatusSchedaVisualizzata->setText(QStringLiteral("Errore nei campi!!!"));
    else if (result.refused > 0)
        StatusSchedaVisualizzata->setText(QStringLiteral("Destinatari rifiutati: ") +
                                          QString::number(result.refused));
}

void TEmail::AggiungeAllegatiClick() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    const std::string path = AskFileName(request);
    if (!path.empty()) Allegati->addItem(Qs(path));
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

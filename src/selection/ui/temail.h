#pragma once
#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ui/widgets_fwd.h"
#include "platform/smtp_client.h"

namespace qv {

// "Invio di posta elettronica (e-mail)": one message, composed once, sent to the typed
// addresses, to the card on screen or to every selected card. Settings, subject and text are
// kept in the program directory by "Esci e aggiorna le impostazioni"; the seven card-panel
// numbers are CoreState's. The connection lives while the dialog is open.
class TEmail : public QDialog, private SmtpEvents {
    Q_OBJECT
  public:
    explicit TEmail(QWidget* owner);

    QTabWidget* Pagine = nullptr;
    QPushButton* Esci = nullptr;
    QPushButton* Help_Generale = nullptr;
    QPushButton* Aggiorna = nullptr;

    // "Impostazioni generali"
    QLineEdit* Nome = nullptr;
    QLineEdit* indirizzoEmail = nullptr;
    QLineEdit* Host = nullptr;
    QLineEdit* Port = nullptr;
    QLineEdit* UserID = nullptr;
    // The login password: typed for each opening of the dialog, never stored.
    QLineEdit* Password = nullptr;
    QPushButton* Help_Imposta = nullptr;

    // "Composizione del messaggio"
    QLineEdit* Oggetto = nullptr;
    QListWidget* Allegati = nullptr;
    QPushButton* AggiungeAllegati = nullptr;
    QPlainTextEdit* Testo = nullptr;
    QPushButton* Salva = nullptr;
    QPushButton* Recupera = nullptr;
    QPushButton* Help_Messaggio = nullptr;

    // "Invio"
    QPushButton* Connetti = nullptr;
    QLineEdit* StatusConnetti = nullptr;
    QPushButton* Disconnetti = nullptr;
    QGroupBox* PannelloScheda = nullptr;
    QLineEdit* nEmail = nullptr;
    QLineEdit* nNome = nullptr;
    QLineEdit* nCampo = nullptr;
    QLineEdit* nCodice = nullptr;
    QLineEdit* CampoErrore = nullptr;
    QLineEdit* Errore = nullptr;
    QLineEdit* Inviato = nullptr;
    QPushButton* InviaSelezionate = nullptr;
    QPushButton* Button1 = nullptr;
    QProgressBar* Barra = nullptr;
    QLineEdit* StatusSchedaVisualizzata = nullptr;
    QLineEdit* a = nullptr;
    QLineEdit* cc = nullptr;
    QLineEdit* bcc = nullptr;
    QPushButton* Invia = nullptr;
    QLineEdit* StatusInviata = nullptr;
    QPushButton* Help_Invio = nullptr;

    // The SMTP client; its notifications come to the NMSMTP1 handlers.
    SmtpClient NMSMTP1;

    void FormCreate();
    void ConnettiClick();
    void DisconnettiClick();
    void NMSMTP1Connect();
    void NMSMTP1Disconnect();
    void NMSMTP1Failure();
    // A refused recipient and the server's reply, kept for the status of the send.
    void NMSMTP1RecipientNotFound(const std::string& recipient, const std::string& reply);
    void InviaClick();
    void Button1Click();
    void InviaSelezionateClick();
    void AggiungeAllegatiClick();
    void SalvaClick();
    void RecuperaClick();
    void AggiornaClick();
    void EsciClick();
    void Help_GeneraleClick();
    void Help_ImpostaClick();
    void Help_MessaggioClick();
    void Help_InvioClick();

    // Esc and the close box, like Esci: asks first when the subject or the text was changed
    // (saving is "Esci e aggiorna le impostazioni").
    void reject() override;

    bool Connected() const { return connected_; }
    // The lines of Testo, Windows-1252.
    std::vector<std::string> TestoLines() const;

  private:
    void OnConnect() override { NMSMTP1Connect(); }
    void OnDisconnect() override { NMSMTP1Disconnect(); }
    void OnFailure(const std::string&) override { NMSMTP1Failure(); }
    void OnRecipientNotFound(const std::string& recipient, const std::string& reply) override {
        NMSMTP1RecipientNotFound(recipient, reply);
    }

    // The tests every send makes first; false, with the reason in `status`, when it may not.
    bool MaySend(QLineEdit* status) const;
    // False, after saying so, when the sender's box holds no address a server would take.
    bool SenderChecked() const;
    void ShowSmtpError(const SmtpError& error) const;
    SmtpMessage Message() const;
    void StoreCardPanel() const;
    void StoreRecipientFields() const;
    std::string AskMessageFile(bool save);
    // The recipients refused in the last send (the first `most`), each with the server's reply.
    std::string RefusalsText(const std::string& separator = "; ", size_t most = SIZE_MAX) const;

    bool connected_ = false;
    std::vector<std::string> refusals_;  // of the send under way: recipient and reply
    QString subjectShown_;               // subject and text as loaded
    QString textShown_;
};

// The card window's command: the dialog with `owner`, shown modally and destroyed.
void OpenEmailDialog(QWidget* owner);

}  // namespace qv

#include "host/message_dictionary.h"

#include "host/dialogs.h"

#include <QHash>

namespace host {

namespace {

const QHash<long, QString> &texts()
{
    static const QHash<long, QString> table = {
        {msg::CompanyChangeRefused,
         QStringLiteral("Non è possibile cambiare la ditta corrente mentre è aperta questa "
                        "gestione.\nChiudere la gestione e ripetere il cambio ditta.")},
        {msg::ExportToOfficeRefused,
         QStringLiteral("L'esportazione dei dati verso un foglio di calcolo o un elaboratore "
                        "di testi non è disponibile in questa gestione.")},
        {msg::FunctionNotAvailable, QStringLiteral("Funzione non disponibile in questa gestione.")},
        {msg::NoCostAccounting,
         QStringLiteral("La ditta corrente non gestisce la contabilità analitica oppure non ha "
                        "un piano dei conti di contabilità analitica.\nImpossibile aprire la "
                        "gestione.")},
        {msg::DescriptionMissing,
         QStringLiteral("La descrizione è obbligatoria: inserire la descrizione.")},
        {msg::StandardCostNeedsSource,
         QStringLiteral("Con la generazione dei movimenti a costo standard anagrafico occorre "
                        "indicare la provenienza del costo (da conto o da voce di spesa/ricavo).")},
        {msg::AccountTypeMissing,
         QStringLiteral("Selezionare almeno una tipologia di conto sia per i conti di "
                        "destinazione sia per i conti di origine.")},
        {msg::TooManyAccountTypes,
         QStringLiteral("Con questo tipo di movimentazione dati è ammessa una sola tipologia "
                        "di conto per i conti di destinazione e una sola per i conti di "
                        "origine.")},
        {15718, QStringLiteral("Conti collegamento")},
        {15884, QStringLiteral("Conti transitori")},
        {15719, QStringLiteral("Conti di competenza")},
        {10643, QStringLiteral("Centri di costo")},
        {73249, QStringLiteral("Lavori in corso / progetti")},
        {15768, QStringLiteral("Magazzino")},
        {15772, QStringLiteral("Margini lordi")},
        {15773, QStringLiteral("Margini netti")},
        {15742, QStringLiteral("Risultati")},
        {6107, QStringLiteral("Altri tipi")},
    };
    return table;
}

} // namespace

bool MessageDictionary::contains(long number) const
{
    return texts().contains(number);
}

QString MessageDictionary::GetText(long number, const QStringList &params) const
{
    const auto it = texts().constFind(number);
    if (it == texts().constEnd())
        return QStringLiteral("Messaggio n. %1 non presente nel dizionario dei messaggi.")
            .arg(number);
    QString text = *it;
    // %1 .. %n, highest first so that %1 does not eat the start of %10.
    for (qsizetype i = params.size(); i >= 1; --i)
        text.replace(QLatin1Char('%') + QString::number(i), params[i - 1]);
    return text;
}

int MessageDictionary::ShowMessage(long number, int style, const QString &title,
                                   const QStringList &params) const
{
    return messageBox(GetText(number, params), style, title);
}

int MessageDictionary::messageBox(const QString &text, int style, const QString &title) const
{
    return DialogService::instance().message(text, style,
                                             title.isEmpty() ? m_applicationTitle : title);
}

} // namespace host

#include "app/app_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QProcessEnvironment>

namespace app {

namespace {

// Tabs of the editor: 0 the header, 1 to 4 the satellite lists.
constexpr int LastTab = 4;

struct OptionSet
{
    QCommandLineOption db{QStringLiteral("db"), QString(), QStringLiteral("PATH")};
    QCommandLineOption language{QStringLiteral("language"), QString(), QStringLiteral("CODE")};
    QCommandLineOption company{QStringLiteral("company"), QString(), QStringLiteral("N")};
    QCommandLineOption code{QStringLiteral("code"), QString(), QStringLiteral("XXXX")};
    QCommandLineOption newRecord{QStringLiteral("new")};
    QCommandLineOption screenshot{QStringLiteral("screenshot"), QString(), QStringLiteral("FILE")};
    QCommandLineOption tab{QStringLiteral("tab"), QString(), QStringLiteral("N")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption locale{QStringLiteral("locale"), QString(), QStringLiteral("NAME")};
    QCommandLineOption readOnly{QStringLiteral("read-only")};
    QCommandLineOption exportFile{QStringLiteral("export"), QString(), QStringLiteral("FILE")};
    QCommandLineOption codes{QStringLiteral("codes"), QString(), QStringLiteral("LIST")};
    QCommandLineOption importFile{QStringLiteral("import"), QString(), QStringLiteral("FILE")};
    QCommandLineOption dryRun{QStringLiteral("dry-run")};
    QCommandLineOption check{QStringLiteral("check")};
    QCommandLineOption json{QStringLiteral("json")};
    QCommandLineOption whereUsed{QStringLiteral("where-used"), QString(), QStringLiteral("CODE")};
    QCommandLineOption print{QStringLiteral("print"), QString(), QStringLiteral("FILE")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.addOptions({db, language, company, code, newRecord, screenshot, tab, help, locale,
                           readOnly, exportFile, codes, importFile, dryRun, check, json, whereUsed,
                           print});
    }
};

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Parsing errors of the parser itself (Qt's own texts), in our words where we can.
QString parserError(const QCommandLineParser &parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString name = unknown.first();
        return QStringLiteral("opzione sconosciuta: %1%2")
            .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
    }
    return QStringLiteral("riga di comando non valida (%1)").arg(parser.errorText());
}

// The locale of --locale: "system", "C" or a name such as it_IT; nothing for an unknown name.
std::optional<QLocale> localeNamed(const QString &name)
{
    if (name.compare(QLatin1String("system"), Qt::CaseInsensitive) == 0)
        return QLocale::system();
    if (name == QLatin1String("C"))
        return QLocale::c();
    const QLocale locale(name);
    if (locale.language() == QLocale::C)
        return std::nullopt;
    return locale;
}

// The export, import and check commands: one at a time, each with its own companions.
QString readExchangeValues(const QCommandLineParser &parser, const OptionSet &o, AppOptions &out)
{
    const int commands = int(parser.isSet(o.exportFile)) + int(parser.isSet(o.importFile))
                         + int(parser.isSet(o.check));
    if (commands > 1)
        return QStringLiteral("--export, --import e --check non si usano insieme");
    if (parser.isSet(o.exportFile)) {
        out.exportFile = parser.value(o.exportFile);
        if (out.exportFile.trimmed().isEmpty())
            return QStringLiteral("--export vuole il nome del file JSON da scrivere");
    }
    if (parser.isSet(o.importFile)) {
        out.importFile = parser.value(o.importFile);
        if (out.importFile.trimmed().isEmpty())
            return QStringLiteral("--import vuole il nome del file JSON da leggere");
    }
    out.dryRun = parser.isSet(o.dryRun);
    if (out.dryRun && !parser.isSet(o.importFile))
        return QStringLiteral("--dry-run si usa solo con --import");
    out.check = parser.isSet(o.check);
    out.checkJson = parser.isSet(o.json);
    if (out.checkJson && !out.check)
        return QStringLiteral("--json si usa solo con --check");
    return {};
}

// A reason code given on the command line, as the editor keeps it; a problem when it is empty
// or too long.
QString readCode(const QString &given, const QString &option, QString &code)
{
    code = given.trimmed().toUpper();
    if (code.isEmpty() || code.size() > MaxCodeLength)
        return QStringLiteral("%1: codice causale non valido: %2 (da 1 a %3 caratteri)")
            .arg(option, quoted(given))
            .arg(MaxCodeLength);
    return {};
}

// The tools run from the command line and their values.
QString readToolValues(const QCommandLineParser &parser, const OptionSet &o, AppOptions &out)
{
    if (parser.isSet(o.whereUsed)) {
        QString code;
        if (QString problem = readCode(parser.value(o.whereUsed), QStringLiteral("--where-used"),
                                       code);
            !problem.isEmpty())
            return problem;
        out.whereUsed = code;
    }
    if (parser.isSet(o.print)) {
        out.printFile = parser.value(o.print);
        if (out.printFile.trimmed().isEmpty())
            return QStringLiteral("--print vuole il nome del file PDF");
    }
    if (parser.isSet(o.codes)) {
        if (out.printFile.isEmpty() && out.exportFile.isEmpty())
            return QStringLiteral("--codes vale solo con --export o --print");
        for (const QString &given : parser.value(o.codes).split(QLatin1Char(','))) {
            QString code;
            if (QString problem = readCode(given, QStringLiteral("--codes"), code);
                !problem.isEmpty())
                return problem;
            if (!out.codes.contains(code))
                out.codes << code;
        }
    }
    const int commands = int(out.whereUsed.has_value()) + int(!out.printFile.isEmpty())
                         + int(out.exchangeCommand());
    if (commands > 1)
        return QStringLiteral("--where-used, --print, --export, --import e --check non si usano"
                              " insieme");
    return {};
}

// Checks and stores the values; returns the first problem found.
QString readValues(const QCommandLineParser &parser, const OptionSet &o, AppOptions &out)
{
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("argomento non previsto: ")
               + quoted(parser.positionalArguments().first());
    if (parser.isSet(o.db)) {
        out.databasePath = parser.value(o.db);
        if (out.databasePath.trimmed().isEmpty())
            return QStringLiteral("--db vuole il nome del file del database");
    }
    if (parser.isSet(o.language)) {
        const QString value = parser.value(o.language).trimmed().toUpper();
        if (value.isEmpty() || value.size() > MaxLanguageLength || value.contains(QLatin1Char(' ')))
            return QStringLiteral("codice lingua non valido: %1 (da 1 a %2 caratteri)")
                .arg(quoted(parser.value(o.language)))
                .arg(MaxLanguageLength);
        out.language = value;
    }
    if (parser.isSet(o.company)) {
        bool ok = false;
        out.company = parser.value(o.company).trimmed().toInt(&ok);
        if (!ok || out.company <= 0)
            return QStringLiteral("ditta non valida: %1 (un numero intero maggiore di zero)")
                .arg(quoted(parser.value(o.company)));
    }
    if (parser.isSet(o.code)) {
        // Trailing blanks never belong to a code (the editor trims them too).
        QString value = parser.value(o.code).toUpper();
        while (value.endsWith(QLatin1Char(' ')))
            value.chop(1);
        if (value.size() > MaxCodeLength)
            return QStringLiteral("codice causale troppo lungo: %1 (al massimo %2 caratteri)")
                .arg(quoted(parser.value(o.code)))
                .arg(MaxCodeLength);
        out.code = value;
    }
    out.newRecord = parser.isSet(o.newRecord);
    out.readOnly = parser.isSet(o.readOnly);
    if (parser.isSet(o.screenshot)) {
        out.screenshotFile = parser.value(o.screenshot);
        if (out.screenshotFile.trimmed().isEmpty())
            return QStringLiteral("--screenshot vuole il nome del file dell'immagine");
    }
    if (parser.isSet(o.tab)) {
        bool ok = false;
        const int tab = parser.value(o.tab).trimmed().toInt(&ok);
        if (!ok || tab < 0 || tab > LastTab)
            return QStringLiteral("scheda non valida: %1 (da 0 a %2)")
                .arg(quoted(parser.value(o.tab)))
                .arg(LastTab);
        out.tab = tab;
    }
    out.help = parser.isSet(o.help);
    if (parser.isSet(o.locale)) {
        const std::optional<QLocale> locale = localeNamed(parser.value(o.locale).trimmed());
        if (!locale)
            return QStringLiteral("impostazione locale sconosciuta: %1 (per esempio it_IT, "
                                  "en_US, C o system)")
                .arg(quoted(parser.value(o.locale)));
        out.locale = *locale;
    }
    if (QString problem = readExchangeValues(parser, o, out); !problem.isEmpty())
        return problem;
    return readToolValues(parser, o, out);
}

} // namespace

ParsedOptions parseOptions(const QStringList &arguments)
{
    ParsedOptions result;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const OptionSet options;
    options.addTo(parser);
    if (!parser.parse(arguments.isEmpty() ? QStringList{QStringLiteral("causali")} : arguments)) {
        result.error = parserError(parser);
        return result;
    }
    result.error = readValues(parser, options, result.options);
    return result;
}

void resolveDisplay(AppOptions &options, const QProcessEnvironment &environment,
                    const QString &currentDir)
{
    const QString platform = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    const bool display = !environment.value(QStringLiteral("DISPLAY")).isEmpty()
                         || !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    // Nobody sees the window: no display, or a platform chosen that draws nowhere.
    const bool headless = platform.isEmpty() ? !display
                                             : platform.startsWith(QLatin1String("offscreen"))
                                                   || platform.startsWith(QLatin1String("minimal"));
    if (options.batch()) {
        // Nothing is shown: the PDF still needs fonts, which the offscreen platform gives.
        options.unattended = true;
        options.offscreen = platform.isEmpty();
        return;
    }
    if (headless && !options.help && options.screenshotFile.isEmpty()) {
        options.screenshotFile =
            QDir(currentDir).absoluteFilePath(QString::fromLatin1(AutomaticScreenshotName));
        options.automaticScreenshot = true;
    }
    options.unattended = headless || !options.screenshotFile.isEmpty();
    options.offscreen = platform.isEmpty() && (headless || options.help || options.unattended);
}

QString usageText(const QString &navigatorKeys)
{
    QString text = QStringLiteral(
        "Uso: causali [opzioni]\n"
        "\n"
        "Anagrafica delle causali di contabilità analitica. Apre l'editor sul database indicato;\n"
        "senza --db usa (e al primo avvio crea con i dati dimostrativi) causali.db nella\n"
        "cartella dei dati dell'utente (~/.local/share/causali).\n"
        "\n"
        "Opzioni:\n"
        "  --db PATH          database da usare; se il file manca viene creato con i dati\n"
        "                     dimostrativi\n"
        "  --language CODE    lingua dell'utente, un codice di MG52_LINGUE (predefinita ITA)\n"
        "  --company N        ditta corrente (predefinita 1); deve avere la contabilità\n"
        "                     analitica\n"
        "  --code XXXX        apre l'editor come programma chiamato sulla causale XXXX (al\n"
        "                     massimo 4 caratteri); \"Esporta\" stampa su una riga dello\n"
        "                     standard output il codice scelto e chiude\n"
        "  --new              apre l'editor in inserimento di una nuova causale\n"
        "  --read-only        sola lettura: le causali si consultano, \"Nuovo\", \"Conferma\" e\n"
        "                     \"Elimina\" sono disattivati\n"
        "  --screenshot FILE  dopo l'avvio salva l'immagine PNG della finestra in FILE ed esce;\n"
        "                     senza display avviene sempre (in ./causali.png se FILE manca)\n"
        "  --tab N            seleziona la scheda N all'avvio: 0 dati anagrafici, 1 sezionali,\n"
        "                     2 controllo conti, 3 sequenza di ricerca conti, 4 proposta di\n"
        "                     sviluppo\n"
        "  --locale NAME      come leggere i numeri scritti dall'utente: it_IT (predefinita),\n"
        "                     en_US, C, system (le impostazioni del sistema)...\n"
        "  --export FILE      scrive in FILE (JSON) le causali con tutto ciò che appartiene\n"
        "                     loro, senza aprire l'editor\n"
        "  --import FILE      controlla le causali di FILE con le regole dell'editor e le\n"
        "                     scrive tutte in una transazione, o nessuna se una è rifiutata\n"
        "  --dry-run          con --import: controlla e riferisce senza scrivere nulla\n"
        "  --check            elenca le incoerenze tra le causali e i dati collegati\n"
        "  --json             con --check: l'elenco in formato JSON\n"
        "  --where-used CODE  scrive dove è usata la causale CODE (documenti, produzione,\n"
        "                     ribaltamenti, causali che la collegano) ed esce\n"
        "  --print FILE       scrive in FILE (PDF, A4) l'elenco delle causali con i loro dati\n"
        "                     e le loro liste ed esce\n"
        "  --codes A,B,...    con --export o --print: solo queste causali\n"
        "  -h, --help         mostra questo aiuto\n"
        "\n"
        "Comandi della barra del navigatore:\n");
    text += navigatorKeys;
    text += QStringLiteral(
        "\n"
        "Codici di uscita: 0 chiusura normale; 1 database, ditta o lingua non utilizzabili,\n"
        "finestra non aperta, causale sconosciuta (--where-used, --codes) o PDF non scrivibile;\n"
        "2 riga di comando non valida. --import esce con 1 quando rifiuta una causale, --check\n"
        "quando trova incoerenze.\n");
    return text;
}

} // namespace app

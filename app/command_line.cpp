#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>

#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_set>

#include "core/fee_audit.h"
#include "core/messages.h"
#include "core/statement_import.h"
#include "settings/ini_location.h"
#include "settings/journal_export.h"
#include "settings/journal_store.h"
#include "settings/main_settings.h"
#include "settings/statement_settings.h"

namespace qcal::app {

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kBadArguments = 1;  // arguments that make no sense are refused the same way

QString Q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

void Out(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// A message as one line: the boxes' trailing blanks go, and so does any line break.
int Refuse(std::string_view message, int status = kRefused)
{
    std::string line(message);
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    std::fprintf(stderr, "qcal: %s\n", line.c_str());
    return status;
}

QString SettingsDirectory() { return settings::DefaultIniDirectory(); }

QString IniPath() { return QDir(SettingsDirectory()).filePath(QString::fromLatin1(settings::kIniFileName)); }

FeeSettings Broker() { return settings::StoredFeeSettings(settings::Profile::Load(IniPath())); }

// The statement, or the message that refuses it.
struct Read {
    statement::Statement statement;
    std::string refusal;
};

Read ReadStatement(const QString& path, settings::EncodingChoice encoding)
{
    const settings::RememberingRead read = settings::ReadStatementRemembering(path, IniPath(), encoding);
    if (!read.file.readable)
        return {{}, read.file.message};
    if (!read.file.statement.Ok())
        return {{}, read.file.statement.message};
    return {read.file.statement, {}};
}

// The journal open for writing, or why it cannot be.
std::string OpenJournal(settings::JournalStore& store, bool write)
{
    const QString path = QDir(SettingsDirectory()).filePath(QString::fromLatin1(settings::kJournalFileName));
    const auto opened = store.Open(path);
    using Opened = settings::JournalStore::Opened;
    if (opened.state == Opened::Failed)
        return FillIn(msg::kJournalCannotOpen, {path.toStdString()});
    // A damaged journal was put aside and an empty one started: nothing is done to the empty one
    // before the user has seen where the old one went.
    if (!opened.keptAside.isEmpty())
        return FillIn(msg::kJournalDamaged, {opened.keptAside.toStdString()});
    if (write && opened.state == Opened::ReadOnlyBusy)
        return std::string(msg::kJournalBusy);
    if (write && opened.state == Opened::ReadOnlyNewer)
        return std::string(msg::kJournalNewer);
    return {};
}

int Audit(const QString& file, settings::EncodingChoice encoding)
{
    const Read read = ReadStatement(file, encoding);
    if (!read.refusal.empty())
        return Refuse(read.refusal);
    const FeeSettings broker = Broker();
    const statement::JournalView none{[](const std::string&) { return false; },
                                      [](const std::string&) { return std::vector<journal::Entry>(); }};
    const statement::ImportPlan plan = statement::PlanImport(read.statement, broker, none);
    Out(audit::AuditCsv(audit::AuditFees(plan.Entries(), broker)));
    return kDone;
}

int Import(const QString& file, settings::EncodingChoice encoding)
{
    const Read read = ReadStatement(file, encoding);
    if (!read.refusal.empty())
        return Refuse(read.refusal);
    settings::JournalStore store;
    if (const std::string refusal = OpenJournal(store, true); !refusal.empty())
        return Refuse(refusal);
    const std::unordered_set<std::string> sources = store.Sources();
    const statement::JournalView view{[&sources](const std::string& key) { return sources.count(key) > 0; },
                                      [&store](const std::string& code) { return store.ForHoldings(code); }};
    const statement::ImportPlan plan = statement::PlanImport(read.statement, Broker(), view);
    std::vector<journal::Entry> entries = plan.Entries();
    if (!entries.empty() && store.Import(entries) != settings::JournalStore::Status::Ok)
        return Refuse(msg::kJournalWriteFailed);
    std::string text = statement::SummaryText(plan) + "\n";
    for (const statement::PlannedRow& row : plan.rows)
        if (row.fate != statement::Fate::Import)
            text += FillIn(msg::kCliRowLine, {std::to_string(row.line), row.kindText, row.reason}) + "\n";
    Out(text);
    return kDone;
}

int Export(const QString& what, const QString& file, settings::CsvEncoding encoding)
{
    settings::JournalStore store;
    if (const std::string refusal = OpenJournal(store, false); !refusal.empty())
        return Refuse(refusal);
    settings::CsvWrite written = settings::CsvWrite::Failed;
    if (what == u"journal") {
        written = settings::ExportJournalCsv(store, file, encoding);
    } else {
        const QDate today = QDate::currentDate();
        written = settings::ExportHoldingsCsv(store, file, encoding, Broker(),
                                              CivilDate::FromYmd(today.year(), today.month(), today.day()).value_or(CivilDate()));
    }
    if (written == settings::CsvWrite::NotEncodable)
        return Refuse(msg::kJournalNotGbk);
    if (written != settings::CsvWrite::Ok)
        return Refuse(FillIn(msg::kCliWriteFailed, {file.toStdString()}));
    return kDone;
}

} // namespace

bool WantsCommandLine(int argc, char* argv[])
{
    static constexpr std::string_view kOptions[] = {"--import", "--audit", "--export", "--encoding",
                                                    "--help",   "-h",      "--version", "-v"};
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        arg = arg.substr(0, arg.find('='));
        for (const std::string_view option : kOptions)
            if (arg == option)
                return true;
    }
    return false;
}

int RunCommandLine(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qcal"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QCAL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(Q(msg::kCliDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    const QString fileName = Q(msg::kCliFile);
    const QCommandLineOption import(QStringLiteral("import"), Q(msg::kCliImport), fileName);
    const QCommandLineOption audit(QStringLiteral("audit"), Q(msg::kCliAudit), fileName);
    const QCommandLineOption exportOption(QStringLiteral("export"), Q(msg::kCliExport), QStringLiteral("journal|holdings"));
    const QCommandLineOption encoding(QStringLiteral("encoding"), Q(msg::kCliEncoding), QStringLiteral("gbk|utf-8"));
    parser.addOptions({import, audit, exportOption, encoding});
    parser.addPositionalArgument(fileName, Q(msg::kCliExport), QStringLiteral("[FILE]"));
    if (!parser.parse(QCoreApplication::arguments()))
        return Refuse(parser.errorText().toStdString(), kBadArguments);
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(kDone);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    const int actions = int(parser.isSet(import)) + int(parser.isSet(audit)) + int(parser.isSet(exportOption));
    if (actions != 1)
        return Refuse(msg::kCliOneAction, kBadArguments);
    const std::string encodingName = parser.value(encoding).toStdString();
    const auto choice = settings::EncodingChoiceFromName(encodingName);
    if (!choice)
        return Refuse(FillIn(msg::kCliEncodingName, {encodingName}), kBadArguments);

    if (parser.isSet(exportOption)) {
        const QString what = parser.value(exportOption);
        if ((what != u"journal" && what != u"holdings") || parser.positionalArguments().size() != 1)
            return Refuse(msg::kCliExportWhat, kBadArguments);
        return Export(what, parser.positionalArguments().front(),
                      *choice == settings::EncodingChoice::Gbk ? settings::CsvEncoding::Gbk
                                                                : settings::CsvEncoding::Utf8WithMark);
    }
    if (!parser.positionalArguments().isEmpty())
        return Refuse(FillIn(msg::kCliOneAction, {}), kBadArguments);
    if (parser.isSet(audit))
        return Audit(parser.value(audit), *choice);
    return Import(parser.value(import), *choice);
}

} // namespace qcal::app

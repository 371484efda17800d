// A statement's import and fee audit end to end: the sample statements audited against their
// sidecars (exactly the planted errors, each with its cause), a generated statement imported and
// planned again (every row it imported is then found, nothing more), an import refused half-way
// leaving the journal as it was, and a column mapping remembered in QCAL.INI.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <fstream>
#include <map>
#include <sstream>
#include <unordered_set>
#include <algorithm>

#include "core/fee_audit.h"
#include "core/journal_fees.h"
#include "core/numtext.h"
#include "core/statement_import.h"
#include "settings/journal_store.h"
#include "settings/profile_file.h"
#include "settings/statement_settings.h"
#include "settings/statement_text.h"
#include "tests/core/statement_gen.h"

namespace qcal {
namespace {

using audit::Cause;
using audit::FeeKind;
using statement::Fate;

struct Sidecar {
    FeeSettings broker;
    struct Trade {
        std::map<FeeKind, Money> right;
        std::optional<FeeKind> planted;
        Money charged;
        Cause cause = Cause::Unknown;
    };
    std::map<std::size_t, Trade> trades;       // by line
    std::map<std::size_t, std::string> skips;  // by line: the reason's word
};

Sidecar ReadSidecar(const std::string& path)
{
    static const std::map<std::string, FeeKind> kFields = {{"commission", FeeKind::Commission},
                                                           {"stamp", FeeKind::StampDuty},
                                                           {"transfer", FeeKind::TransferFee},
                                                           {"other", FeeKind::OtherFees}};
    static const std::map<std::string, Cause> kCauses = {{"minimum-on-waived-account", Cause::MinimumOnWaived},
                                                         {"commission-above-rate", Cause::RateAboveTerms},
                                                         {"stamp-duty-on-buy", Cause::StampDutyOnBuy},
                                                         {"stamp-duty-old-rate", Cause::OldRate},
                                                         {"transfer-fee-twice", Cause::ChargedTwice}};
    Sidecar s;
    std::ifstream in(path);
    EXPECT_TRUE(in) << path;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string what;
        words >> what;
        std::map<std::string, std::string> named;
        if (what == "account") {
            for (std::string token; words >> token;)
                named[token.substr(0, token.find('='))] = token.substr(token.find('=') + 1);
            s.broker.rules = FeeRules::Current;
            s.broker.commission = named["rate"];
            s.broker.waiveMinimum = *ParseMoney(named["minimum"]) == Money();
            if (!s.broker.waiveMinimum)
                s.broker.terms.sharesMinimum = s.broker.terms.fundsMinimum = named["minimum"];
            s.broker.terms.feesOnTop = named["fees-inside"] == "no";
            continue;
        }
        std::size_t at = 0;
        words >> at;
        if (what == "skip") {
            words >> s.skips[at];
        } else if (what == "trade") {
            Sidecar::Trade& t = s.trades[at];
            for (const FeeKind fee : {FeeKind::Commission, FeeKind::StampDuty, FeeKind::TransferFee, FeeKind::OtherFees}) {
                std::string value;
                words >> value;
                t.right[fee] = *ParseMoney(value);
            }
            for (std::string token; words >> token;)
                named[token.substr(0, token.find('='))] = token.substr(token.find('=') + 1);
            if (named.count("error")) {
                t.planted = kFields.at(named["field"]);
                t.charged = *ParseMoney(named["charged"]);
                t.cause = kCauses.at(named["error"]);
            }
        }
    }
    return s;
}

statement::JournalView Empty() { return {[](const std::string&) { return false; }, [](const std::string&) {
                                             return std::vector<journal::Entry>();
                                         }}; }

// A broker of 0.25 per mille, at least 5.00, the exchange's fees inside.
FeeSettings QuarterPerMille()
{
    FeeSettings broker;
    broker.commission = "0.25";
    broker.rules = FeeRules::Current;
    return broker;
}

TEST(StatementImport, TheAuditFindsExactlyThePlantedErrorsWithTheirCauses)
{
    // The 5,000 trades of make_samples.py --rows 5000 are all charged right, and not all held.
    for (const std::string name : {"layout-a.csv", "layout-b.txt", "layout-c.csv", "layout-a-5000.csv"}) {
        SCOPED_TRACE(name);
        const bool sample = !name.ends_with("-5000.csv");
        const std::string base = std::string(QCAL_TEST_DATA) + "/statements/" + name;
        const Sidecar sidecar = ReadSidecar(base.substr(0, base.rfind('.')) + ".expected");
        const settings::StatementFile file = settings::ReadStatementFile(QString::fromStdString(base));
        ASSERT_TRUE(file.readable && file.statement.Ok()) << file.message << file.statement.message;

        const statement::ImportPlan plan = statement::PlanImport(file.statement, sidecar.broker, Empty());
        EXPECT_EQ(plan.trades, sidecar.trades.size());
        EXPECT_EQ(plan.skipped, sidecar.skips.size());
        EXPECT_EQ(plan.duplicates, 0u);
        std::vector<std::size_t> tradeLines;
        for (const statement::PlannedRow& row : plan.rows) {
            if (sidecar.skips.count(row.line)) {
                EXPECT_EQ(row.fate, Fate::Skip) << row.line;
                EXPECT_TRUE(row.reason.starts_with(sidecar.skips.at(row.line))) << row.line << " " << row.reason;
            } else {
                ASSERT_EQ(row.fate, Fate::Import) << row.line << " " << row.reason;
                if (journal::IsTrade(row.entry->kind))
                    tradeLines.push_back(row.line);
            }
        }
        // Everything imported can be held: the events found the shares they were paid on.
        const std::vector<journal::Entry> entries = plan.Entries();
        std::vector<journal::Entry> numbered = entries;
        for (std::size_t i = 0; i < numbered.size(); ++i)
            numbered[i].id = static_cast<std::int64_t>(i + 1);
        const journal::Holdings holdings = journal::ComputeHoldings(numbered);
        if (sample) {
            EXPECT_FALSE(holdings.refusal) << journal::RefusalText(*holdings.refusal);
        }

        const audit::Audit audit = audit::AuditFees(entries, sidecar.broker);
        ASSERT_EQ(audit.trades.size(), tradeLines.size());
        Money tooMuch;
        std::size_t planted = 0;
        for (std::size_t i = 0; i < audit.trades.size(); ++i) {
            const Sidecar::Trade& want = sidecar.trades.at(tradeLines[i]);
            const audit::TradeAudit& got = audit.trades[i];
            SCOPED_TRACE("line " + std::to_string(tradeLines[i]));
            EXPECT_TRUE(got.problem.empty()) << got.problem;
            ASSERT_EQ(got.fees.size(), audit::kFeeKinds);
            for (const audit::FeeLine& line : got.fees) {
                EXPECT_EQ(line.computed, want.right.at(line.fee)) << audit::FeeName(line.fee);
                const bool isPlanted = want.planted == line.fee;
                EXPECT_EQ(line.Differs(), isPlanted) << audit::FeeName(line.fee);
                if (!isPlanted)
                    continue;
                ++planted;
                EXPECT_EQ(line.charged, want.charged);
                EXPECT_EQ(line.cause, want.cause) << audit::CauseText(line, sidecar.broker);
                EXPECT_FALSE(audit::CauseText(line, sidecar.broker).empty());
                tooMuch += line.Difference();
            }
        }
        EXPECT_EQ(audit.summary.differing, planted);
        EXPECT_EQ(audit.summary.tooMuch, tooMuch);
        EXPECT_EQ(audit.summary.tooLittle, Money());
        const std::string csv = audit::AuditCsv(audit);
        EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), static_cast<long>(planted + 2)) << csv;
        EXPECT_TRUE(csv.starts_with("成交日期,证券代码,买卖,费用,实收,应收,差额\r\n"));
    }
}

TEST(StatementImport, TheRateChargedAboveTheTermsIsNamed)
{
    const std::string base = std::string(QCAL_TEST_DATA) + "/statements/layout-b";
    const Sidecar sidecar = ReadSidecar(base + ".expected");
    const auto file = settings::ReadStatementFile(QString::fromStdString(base + ".txt"));
    const auto audit = audit::AuditFees(statement::PlanImport(file.statement, sidecar.broker, Empty()).Entries(),
                                        sidecar.broker);
    std::vector<std::string> texts;
    for (const auto& trade : audit.trades)
        for (const auto& line : trade.fees)
            if (line.Differs())
                texts.push_back(audit::CauseText(line, sidecar.broker));
    EXPECT_EQ(texts, (std::vector<std::string>{"佣金率 0.300‰ 高于约定的 0.25‰", "重复收取"}));
    EXPECT_TRUE(audit::AuditCsv(audit).ends_with("\r\n合计,多收,1.92,少收,0.00,笔数,2\r\n")) << audit::AuditCsv(audit);
}

// A generated statement (every layout brokers use, damaged rows, dividends) imported into a journal
// and planned again: each row it imported is then in the journal, the rows it found twice stay
// found, and the skipped stay skipped; the fees the statement gave are kept as charged.
TEST(StatementImport, ASecondImportOfTheSameRowsFindsThemAll)
{
    QTemporaryDir dir;
    settings::JournalStore store;
    ASSERT_EQ(store.Open(dir.filePath(QStringLiteral("journal.db"))).state, settings::JournalStore::Opened::ReadWrite);
    const FeeSettings broker = QuarterPerMille();

    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        test::StatementGenerator gen({300, seed, seed % 2 ? ',' : '\t', "\r\n", true});
        const test::GeneratedStatement made = gen.Make();
        // The same rows once more, as a second export overlapping the first would give them.
        const statement::Statement st = statement::Read(made.text);
        ASSERT_TRUE(st.Ok()) << st.message;
        std::unordered_set<std::string> sources = store.Sources();
        const statement::JournalView view{[&sources](const std::string& key) { return sources.count(key) > 0; },
                                          [&store](const std::string& code) { return store.ForHoldings(code); }};
        const statement::ImportPlan first = statement::PlanImport(st, broker, view);
        ASSERT_EQ(first.rows.size(), st.records.size());
        EXPECT_EQ(first.trades + first.events + first.skipped + first.duplicates, st.records.size());
        for (std::size_t i = 0; i < st.records.size(); ++i) {
            const statement::Record& r = st.records[i];
            const statement::PlannedRow& row = first.rows[i];
            if (row.fate != Fate::Import || !r.IsTrade())
                continue;
            // Given fees are kept as charged; the others are the rules' and marked so.
            const auto check = [&](const journal::Fee& fee, const std::optional<Money>& given) {
                EXPECT_EQ(fee.typed, given.has_value()) << r.line;
                if (given) {
                    EXPECT_EQ(fee.value, *given) << r.line;
                }
            };
            check(row.entry->commission, r.commission);
            check(row.entry->stampDuty, r.stampDuty);
            check(row.entry->transferFee, r.transferFee);
            check(row.entry->otherFees, r.otherFee);
            journal::Entry again = *row.entry;
            ASSERT_TRUE(journal::FillComputedFees(again, broker).ok());
            EXPECT_EQ(again, *row.entry) << r.line;
        }
        std::vector<journal::Entry> entries = first.Entries();
        ASSERT_EQ(store.Import(entries), settings::JournalStore::Status::Ok);

        sources = store.Sources();
        const statement::ImportPlan second = statement::PlanImport(st, broker, view);
        EXPECT_EQ(second.trades + second.events, 0u);
        for (std::size_t i = 0; i < st.records.size(); ++i) {
            const Fate was = first.rows[i].fate, now = second.rows[i].fate;
            if (was == Fate::Import || was == Fate::InJournal) {
                EXPECT_EQ(now, Fate::InJournal) << st.records[i].line;
            } else if (was == Fate::TwiceInFile) {
                EXPECT_TRUE(now == Fate::InJournal || now == Fate::TwiceInFile) << st.records[i].line;
            } else if (st.records[i].kind == statement::Kind::Skipped) {
                EXPECT_EQ(now, Fate::Skip) << st.records[i].line;
            }
        }
    }
}

TEST(StatementImport, DuplicatesAndEventsInOneFile)
{
    // A row twice (same contract number), a dividend with shares held and one without, a bonus.
    const std::string text =
        "成交日期,成交时间,证券代码,证券名称,操作,成交数量,成交均价,成交金额,手续费,印花税,过户费,其他费,合同编号\n"
        "20240108,09:31:02,600000,浦发银行,证券买入,1000,7.05,7050.00,,,,,1\n"
        "20240108,09:31:02,600000,浦发银行,证券买入,1000,7.05,7050.00,,,,,1\n"
        "20240110,09:00:00,600000,浦发银行,股息入账,0,0,330.00,,,,,\n"
        "20240111,09:00:00,601318,中国平安,股息入账,0,0,100.00,,,,,\n"
        "20240112,09:00:00,600000,浦发银行,红股入账,300,0,0,,,,,\n"
        "20240113,10:00:00,600000,浦发银行,证券卖出,1300,7.20,9360.00,5.00,4.68,0.09,0.00,2\n";
    const auto plan = statement::PlanImport(statement::Read(text), QuarterPerMille(), Empty());
    ASSERT_EQ(plan.rows.size(), 6u);
    EXPECT_EQ(plan.rows[1].fate, Fate::TwiceInFile);
    EXPECT_NE(plan.rows[1].reason.find("2"), std::string::npos) << plan.rows[1].reason;
    EXPECT_EQ(plan.rows[2].entry->price, *ParseMoney("3.3"));  // 330 on 1000 shares: 3.30 per 10
    EXPECT_EQ(plan.rows[3].fate, Fate::Skip);
    EXPECT_EQ(plan.rows[4].entry->price, *ParseMoney("3"));
    EXPECT_TRUE(plan.rows[5].entry->commission.typed);
    EXPECT_EQ(statement::SummaryText(plan), "导入交易 2 笔、事件 2 笔；跳过 1 行；重复 1 行");
    std::vector<journal::Entry> entries = plan.Entries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i].id = static_cast<std::int64_t>(i + 1);
    const auto holdings = journal::ComputeHoldings(entries);
    ASSERT_FALSE(holdings.refusal);
    EXPECT_EQ(holdings.positions.front().shares, 0);
    EXPECT_EQ(holdings.positions.front().total.dividends, *ParseMoney("330"));
}

TEST(StatementImport, AnImportRefusedHalfWayLeavesTheJournalAsItWas)
{
    QTemporaryDir dir;
    settings::JournalStore store;
    ASSERT_EQ(store.Open(dir.filePath(QStringLiteral("journal.db"))).state, settings::JournalStore::Opened::ReadWrite);
    const FeeSettings broker = QuarterPerMille();
    test::StatementGenerator gen({200, 9, ',', "\n", false});
    const auto plan = statement::PlanImport(statement::Read(gen.Make().text), broker, Empty());
    std::vector<journal::Entry> entries = plan.Entries();
    ASSERT_GT(entries.size(), 100u);
    {
        // The disk refuses the row in the middle.
        QSqlQuery q(QSqlDatabase::database(store.ConnectionName()));
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON entries WHEN NEW.source = '%1' "
                                          "BEGIN SELECT RAISE(ABORT, 'full'); END")
                               .arg(QString::fromStdString(entries[entries.size() / 2].source))));
    }
    EXPECT_EQ(store.Import(entries), settings::JournalStore::Status::WriteFailed);
    EXPECT_EQ(store.Count(), 0);
    EXPECT_TRUE(store.Sources().empty());
}

TEST(StatementImport, AMappingIsRememberedForItsHeader)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("QCAL.INI"));
    ASSERT_TRUE(settings::WriteProfileString(ini, QStringLiteral("TIP"), QStringLiteral("手续费"), QStringLiteral("0.25")));
    const QString path = dir.filePath(QStringLiteral("s.csv"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("日期,代码,方向,股数,单价,金额\n2024-01-08,600000,证券买入,100,7.00,700.00\n");
    f.close();

    const auto before = settings::ReadStatementRemembering(path, ini);
    ASSERT_FALSE(before.file.statement.Ok());
    EXPECT_FALSE(before.map.has_value());
    statement::ColumnMap map = *statement::ColumnMapFromText("date=0;code=1;kind=2;quantity=3;price=4;amount=5");
    ASSERT_TRUE(settings::RememberColumnMap(ini, before.file.statement.columns, map));

    const auto after = settings::ReadStatementRemembering(path, ini);
    EXPECT_TRUE(after.map.has_value());
    ASSERT_TRUE(after.file.statement.Ok()) << after.file.statement.message;
    ASSERT_EQ(after.file.statement.records.size(), 1u);
    EXPECT_TRUE(after.file.statement.records[0].IsTrade());
    // The other sections are as they were; another header has no mapping.
    EXPECT_EQ(settings::ReadProfileString(ini, QStringLiteral("TIP"), QStringLiteral("手续费")), QStringLiteral("0.25"));
    EXPECT_FALSE(settings::RememberedColumnMap(ini, {"日期", "代码", "方向"}));
    EXPECT_EQ(settings::RememberedColumnMap(ini, {" 日期", "代码 ", "方向", "股数", "单价", "金额"}), map);
}

} // namespace
} // namespace qcal

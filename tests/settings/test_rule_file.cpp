// The user's rule file beside QCAL.INI: read in GBK or UTF-8, its rows joined to the built-in
// ones; one that cannot be used told with its name and line, the built-in table used instead.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "file_helpers.h"
#include "settings/rule_file.h"

namespace qcal::settings {
namespace {

TEST(RuleFileLoad, ReadsGbkAndUtf8AndTellsAWrongFileByNameAndLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = RuleFilePath(dir.path());
    EXPECT_TRUE(path.endsWith(QStringLiteral("/费率表.txt")));

    // No file: the built-in table, nothing to tell.
    RuleFileLoad load = LoadRuleFile(path);
    EXPECT_TRUE(load.problem.empty());
    EXPECT_EQ(load.table.Rows(), RuleTable::BuiltIn().Rows());

    const QString rows = QStringLiteral("# 新的费率\r\n品种 起始日期 印花税 过户费 经手费 证管费\r\n"
                                        "A股 2030-01-01 0.4 0.01 0.0341 0.02\r\n");
    for (const QByteArray& bytes : {test::Gbk(rows), QByteArray("\xEF\xBB\xBF") + rows.toUtf8()}) {
        ASSERT_TRUE(test::PutBytes(path, bytes));
        load = LoadRuleFile(path);
        EXPECT_TRUE(load.problem.empty()) << load.problem;
        ASSERT_EQ(load.table.Rows().size(), RuleTable::BuiltIn().Rows().size() + 1);
        EXPECT_EQ(load.table.Latest(kSharesGroup)->stampDuty, (ExactDecimal{4, 1}));
    }

    ASSERT_TRUE(test::PutBytes(path, test::Gbk(QStringLiteral("品种 起始日期 印花税\nA股 2030-01-01 零点四\n"))));
    load = LoadRuleFile(path);
    EXPECT_EQ(load.table.Rows(), RuleTable::BuiltIn().Rows());
    EXPECT_NE(load.problem.find(QDir::toNativeSeparators(path).toStdString()), std::string::npos) << load.problem;
    EXPECT_NE(load.problem.find("第2行"), std::string::npos) << load.problem;

    // Something that is not a file in its place.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("费率表.txt")));
    load = LoadRuleFile(path);
    EXPECT_FALSE(load.problem.empty());
    EXPECT_EQ(load.table.Rows(), RuleTable::BuiltIn().Rows());
}

} // namespace
} // namespace qcal::settings

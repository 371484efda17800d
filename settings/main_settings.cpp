#include "settings/main_settings.h"

#include "core/broker_terms.h"
#include "core/instrument.h"

namespace qcal::settings {

namespace {

QString Q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// A stored value of the broker's terms that the dialog would refuse reads as the default.
std::string StoredTerm(const Profile& stored, IniKey key, bool (*usable)(std::string_view))
{
    const std::string value = ReadKey(stored, key).toStdString();
    return usable(value) ? value : SpecOf(key).fallback.toStdString();
}

std::string OrFallback(const Profile& stored, IniKey key)
{
    const QString value = ReadKey(stored, key);
    return (value.isEmpty() ? SpecOf(key).fallback : value).toStdString();
}

} // namespace

QString MainSection() { return QStringLiteral("TIP"); }

const IniKeySpec& SpecOf(IniKey key)
{
    const QString main = MainSection();
    const QString broker = QStringLiteral("券商费率");
    static const IniKeySpec kKeys[kIniKeyCount] = {
        {QStringLiteral("注意"), QStringLiteral("本文件是自动生成，请不要随便修改本文件！"), main},
        {QStringLiteral("手续费"), QStringLiteral("2.7"), main},
        {QStringLiteral("印花税"), QStringLiteral("3"), main},
        {QStringLiteral("证交所"), Q(BuiltInInstruments().front().name), main},
        {QStringLiteral("窗口置顶"), QStringLiteral("0"), main},
        {QStringLiteral("记忆买入"), QStringLiteral("0"), main},
        {QStringLiteral("买入价格"), QString(), main},
        {QStringLiteral("买入数量"), QString(), main},
        {QStringLiteral("现行规则"), QStringLiteral("0"), main},
        {QStringLiteral("免五"), QStringLiteral("0"), main},
        {QStringLiteral("证券代码"), QString(), main},
        {QStringLiteral("股票最低佣金"), Q(BrokerTerms{}.sharesMinimum), broker},
        {QStringLiteral("基金佣金"), Q(BrokerTerms{}.fundsCommission), broker},
        {QStringLiteral("基金最低佣金"), Q(BrokerTerms{}.fundsMinimum), broker},
        {QStringLiteral("可转债佣金"), Q(BrokerTerms{}.bondsCommission), broker},
        {QStringLiteral("可转债最低佣金"), Q(BrokerTerms{}.bondsMinimum), broker},
        {QStringLiteral("不含规费"), QStringLiteral("0"), broker},
    };
    return kKeys[static_cast<int>(key)];
}

QString ReadKey(const Profile& stored, IniKey key) { return stored.Read(SpecOf(key).section, SpecOf(key).name); }

bool StoredFlag(const QString& value) { return value == u"1"; }

BrokerTerms StoredBrokerTerms(const Profile& stored)
{
    BrokerTerms terms;
    terms.sharesMinimum = StoredTerm(stored, IniKey::SharesMinimumKey, IsBrokerMinimum);
    const QString fundsRate = ReadKey(stored, IniKey::FundsRateKey);
    terms.fundsCommission = fundsRate.isEmpty() ? std::string() : StoredTerm(stored, IniKey::FundsRateKey, IsBrokerRate);
    terms.fundsMinimum = StoredTerm(stored, IniKey::FundsMinimumKey, IsBrokerMinimum);
    terms.bondsCommission = StoredTerm(stored, IniKey::BondsRateKey, IsBrokerRate);
    terms.bondsMinimum = StoredTerm(stored, IniKey::BondsMinimumKey, IsBrokerMinimum);
    terms.feesOnTop = StoredFlag(ReadKey(stored, IniKey::FeesOnTopKey));
    return terms;
}

FeeSettings StoredFeeSettings(const Profile& stored)
{
    FeeSettings fees;
    fees.commission = OrFallback(stored, IniKey::Commission);
    fees.stampDuty = OrFallback(stored, IniKey::StampDuty);
    fees.market = OrFallback(stored, IniKey::Market);
    const QString rules = ReadKey(stored, IniKey::CurrentRules);
    const bool current = rules.isEmpty() ? stored.State() == FileState::Missing : StoredFlag(rules);
    fees.rules = current ? FeeRules::Current : FeeRules::Own;
    fees.waiveMinimum = StoredFlag(ReadKey(stored, IniKey::WaiveMinimum));
    fees.terms = StoredBrokerTerms(stored);
    return fees;
}

} // namespace qcal::settings

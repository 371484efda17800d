#include "settings/journal_export.h"

#include "core/journal_csv.h"

namespace qcal::settings {

CsvWrite ExportJournalCsv(JournalStore& store, const QString& path, CsvEncoding encoding)
{
    return WriteCsvFile(path, journal::JournalCsv(store.All()), encoding);
}

CsvWrite ExportHoldingsCsv(JournalStore& store, const QString& path, CsvEncoding encoding, const FeeSettings& broker,
                           CivilDate today, const std::map<std::string, Money>& prices)
{
    std::string text;
    try {
        text = journal::HoldingsCsv(journal::HoldingsOfEachCode(store.ForHoldings()), broker, today, prices);
    } catch (const OutOfRange&) {
        return CsvWrite::Failed;
    }
    return WriteCsvFile(path, text, encoding);
}

} // namespace qcal::settings

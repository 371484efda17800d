#pragma once
// The journal's two CSV files from its store, for the window's export buttons and the command
// line: every entry oldest first, and the holdings of every code with each sale and every year.

#include <map>
#include <string>

#include <QString>

#include "core/civil_date.h"
#include "core/fee_settings.h"
#include "core/money.h"
#include "settings/csv_file.h"
#include "settings/journal_store.h"

namespace qcal::settings {

CsvWrite ExportJournalCsv(JournalStore& store, const QString& path, CsvEncoding encoding);

// The holdings valued by the fee rules of the broker's terms for a sale on `today`, at the current
// prices given by code. Failed also when the totals leave Money's range.
CsvWrite ExportHoldingsCsv(JournalStore& store, const QString& path, CsvEncoding encoding, const FeeSettings& broker,
                           CivilDate today, const std::map<std::string, Money>& prices = {});

} // namespace qcal::settings

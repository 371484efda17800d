// libFuzzer target of the statement reader (scripts/fuzz-statement): any bytes, decoded in each
// encoding and read with the usual and with tight limits. Besides crashes, hangs and sanitizer
// findings it stops on a broken promise: text that is not UTF-8 out of the decoder, a different
// result when the same text is fed in pieces, a problem without a message, a mapping text that
// does not read back as itself.

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/statement.h"
#include "settings/statement_text.h"

namespace {

using namespace qcal::statement;

void Require(bool promise)
{
    if (!promise)
        std::abort();
}

void ReadEveryWay(std::string_view text, const ReadOptions& options, std::size_t cut)
{
    const Statement whole = Read(text, options);
    Require(whole.Ok() == whole.message.empty());
    Reader pieces(options);
    cut = text.empty() ? 0 : cut % text.size();
    pieces.Feed(text.substr(0, cut));
    for (std::size_t at = cut; at < text.size(); at += 7)
        pieces.Feed(text.substr(at, 7));
    Require(pieces.Finish() == whole);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const std::size_t cut = size ? data[0] * 131u + data[size - 1] : 0;
    for (const auto choice : {qcal::settings::EncodingChoice::Detect, qcal::settings::EncodingChoice::Utf8,
                              qcal::settings::EncodingChoice::Gbk}) {
        const auto text = qcal::settings::DecodeStatement(bytes, choice);
        EncodingScanner check;
        check.Feed(text.utf8);
        Require(check.ValidUtf8());
        if (choice == qcal::settings::EncodingChoice::Detect) {
            ReadEveryWay(text.utf8, {}, cut);
            ReadOptions tight;
            tight.limits = {64, 8, 5};
            ReadEveryWay(text.utf8, tight, cut);
        }
    }
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    if (const auto map = ColumnMapFromText(raw)) {
        const auto again = ColumnMapFromText(ToText(*map));
        Require(again && *again == *map);
        ReadEveryWay(raw, {map, {}}, cut);
    }
    return 0;
}

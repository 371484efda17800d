#include "settings/statement_text.h"

#include <QBuffer>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <functional>

#include "core/messages.h"

namespace qcal::settings {

namespace {

using statement::Encoding;
constexpr qint64 kPiece = qint64{1} << 20;

std::string Unreadable(const QString& why)
{
    std::string text(msg::kStatementUnreadable);
    text.replace(text.find("{}"), 2, why.toStdString());
    return text;
}

// Turns the bytes of one encoding into UTF-8, piece by piece. Pieces end at a line break (neither
// encoding uses CR or LF inside a character), so each decodes by itself.
class PieceDecoder {
public:
    PieceDecoder(Encoding encoding, bool validUtf8) : encoding_(encoding), validUtf8_(validUtf8) {}

    std::string Decode(QByteArrayView bytes)
    {
        if (encoding_ == Encoding::Utf8) {
            if (validUtf8_)
                return std::string(bytes.data(), static_cast<std::size_t>(bytes.size()));
            return QString::fromUtf8(bytes).toStdString();  // what is not UTF-8 becomes U+FFFD
        }
        QString text = gbk_.decode(bytes);
        // A lead byte with nothing after it (a file cut short) is dropped without a word by the
        // decoder: show it and count it like any other byte that does not decode.
        if (EndsInLeadByte(bytes))
            text += QChar(0xFFFD);
        // GBK has no U+FFFD of its own: every one marks a pair that does not decode.
        undecodable_ += static_cast<std::size_t>(text.count(QChar(0xFFFD)));
        return text.toStdString();
    }
    std::size_t Undecodable() const { return undecodable_; }

private:
    static bool EndsInLeadByte(QByteArrayView bytes)
    {
        qsizetype i = 0;
        while (i < bytes.size())
            i += static_cast<unsigned char>(bytes[i]) >= 0x81 && static_cast<unsigned char>(bytes[i]) <= 0xFE ? 2 : 1;
        return i > bytes.size();
    }

    Encoding encoding_;
    bool validUtf8_;
    QStringDecoder gbk_{"GBK", QStringConverter::Flag::Stateless};
    std::size_t undecodable_ = 0;
};

// Reads the device twice: the encoding, then the text, handed on in pieces to `take`, which
// returns false to stop. maxLine: a piece without a line break is handed on once it is longer
// (a line that long is refused by the reader; UTF-8 is never shorter than the GBK it came from).
bool Decode(QIODevice& device, EncodingChoice choice, std::size_t maxLine, TextEncoding& encoding,
            std::string& failure, const std::function<bool(std::string)>& take)
{
    statement::EncodingScanner scanner;
    QByteArray piece;
    for (;;) {
        piece = device.read(kPiece);
        if (piece.isEmpty())
            break;
        scanner.Feed(std::string_view(piece.constData(), static_cast<std::size_t>(piece.size())));
    }
    if (!device.atEnd() || !device.seek(0)) {
        failure = Unreadable(device.errorString());
        return false;
    }

    encoding.chosen = choice != EncodingChoice::Detect;
    encoding.encoding = choice == EncodingChoice::Utf8  ? Encoding::Utf8
                        : choice == EncodingChoice::Gbk ? Encoding::Gbk
                                                        : scanner.Likely();
    PieceDecoder decoder(encoding.encoding, scanner.ValidUtf8());

    QByteArray carry;
    for (bool end = false; !end;) {
        piece = device.read(kPiece);
        end = piece.isEmpty();
        if (end && !device.atEnd()) {
            failure = Unreadable(device.errorString());
            return false;
        }
        carry += piece;
        qsizetype cut = end ? carry.size() : std::max(carry.lastIndexOf('\n'), carry.lastIndexOf('\r')) + 1;
        if (cut == 0 && static_cast<std::size_t>(carry.size()) > maxLine)
            cut = carry.size();
        if (cut == 0)
            continue;
        const bool more = take(decoder.Decode(QByteArrayView(carry).first(cut)));
        carry.remove(0, cut);
        if (!more)
            break;
    }

    encoding.undecodable = encoding.encoding == Encoding::Utf8 ? scanner.Utf8Errors() : decoder.Undecodable();
    encoding.sure = encoding.chosen || (scanner.Sure() && encoding.undecodable == 0);
    return true;
}

} // namespace

std::optional<EncodingChoice> EncodingChoiceFromName(std::string_view name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (lower.empty() || lower == "auto")
        return EncodingChoice::Detect;
    if (lower == "utf-8" || lower == "utf8")
        return EncodingChoice::Utf8;
    if (lower == "gbk" || lower == "cp936")
        return EncodingChoice::Gbk;
    return std::nullopt;
}

StatementText DecodeStatement(QByteArrayView bytes, EncodingChoice choice)
{
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    StatementText out;
    std::string failure;  // a buffer in memory always reads
    Decode(buffer, choice, SIZE_MAX, out.encoding, failure, [&out](std::string text) {
        out.utf8 += text;
        return true;
    });
    return out;
}

StatementFile ReadStatement(QIODevice& device, EncodingChoice choice, const statement::ReadOptions& options)
{
    StatementFile file;
    statement::Reader reader(options);
    file.readable = Decode(device, choice, options.limits.maxLineBytes, file.encoding, file.message,
                           [&reader](std::string text) { return reader.Feed(text); });
    file.statement = reader.Finish();
    return file;
}

StatementFile ReadStatementFile(const QString& path, EncodingChoice choice, const statement::ReadOptions& options)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        StatementFile file;
        file.message = Unreadable(path + QStringLiteral("（") + f.errorString() + QStringLiteral("）"));
        return file;
    }
    return ReadStatement(f, choice, options);
}

} // namespace qcal::settings

// libFuzzer target: a control-connection byte stream, delivered in pieces whose sizes the input's
// first byte chooses. Every reply handed out must carry a valid code and its first line.
#include "session/ftpreplyreader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype piece = 1 + data[0];
    const QByteArray stream(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    FtpReplyReader reader;
    for (qsizetype at = 0; at < stream.size(); at += piece)
        reader.addData(stream.mid(at, piece));
    while (const std::optional<FtpReply> reply = reader.takeReply()) {
        if (!reply->isValid() || reply->lines().isEmpty()
            || !reply->lines().first().startsWith(QString::number(reply->code())))
            std::abort();
    }
    return 0;
}

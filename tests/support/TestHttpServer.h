#ifndef TESTHTTPSERVER_H
#define TESTHTTPSERVER_H

#include <QByteArray>
#include <QString>

#include <memory>

// A programmable HTTP server on 127.0.0.1 with an ephemeral port, for tests. Each route answers with a
// given body and status, optionally after a delay, cut short after some bytes, or as a redirect, and answers
// a request for the rest of its body ("Range: bytes=<first>-", with or without If-Range) as told.
// The server runs on its own threads; the test's event loop stays free for the client side.
class TestHttpServer
{
public:
    // How a route answers "Range: bytes=<first>-" (when If-Range, if sent, names its ETag).
    enum class RANGES
    {
        Honour,        // 206 from <first> with Content-Range; 416 "bytes */<length>" past the end
        WrongOffset,   // 206 with the whole body, labelled "bytes 0-<last>/<length>"
        Ignore,        // 200 with the whole body
        Unsatisfiable, // 416 "bytes */<length>"
    };

    TestHttpServer();
    ~TestHttpServer();

    // Binds 127.0.0.1 on a free port and starts serving. False when no port could be bound.
    bool Start();
    void Stop();

    int Port() const;
    // "http://127.0.0.1:<port>" + path
    QString Url(const QString& path = QString()) const;

    void SetRoute(const QString& path, const QByteArray& body, int status = 200,
                  const QString& contentType = QStringLiteral("application/octet-stream"));
    // The route waits this long before answering (ended early by Stop).
    void SetDelay(const QString& path, int milliseconds);
    // The route announces its whole length but sends only the first "bytes" bytes, then closes.
    void SetTruncated(const QString& path, qint64 bytes);
    // The route answers status (302 unless given) with Location: target (a path on this server or a URL).
    void SetRedirect(const QString& path, const QString& target, int status = 302);
    // The route sends its body in chunks of this size, pausing between chunks (slow transfer).
    void SetChunked(const QString& path, int chunkBytes, int pauseMilliseconds);
    void RemoveRoute(const QString& path);
    // The route sends "ETag: <etag>" (quotes included as given) and compares If-Range with it.
    void SetETag(const QString& path, const QByteArray& etag);
    void SetRanges(const QString& path, RANGES answer);

    // How many requests reached the path so far.
    int RequestCount(const QString& path) const;
    // A header of the last request for the path; empty when it had none.
    QByteArray LastRequestHeader(const QString& path, const QByteArray& name) const;
    // The body bytes sent for the path so far, all requests together.
    qint64 BytesSent(const QString& path) const;
    // Answers of chunked or cut-short routes still being sent. Such an answer goes on for a moment after its
    // client has gone (until a write fails), and its bytes still count in BytesSent until it ends.
    int StreamsInProgress() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

#endif // TESTHTTPSERVER_H

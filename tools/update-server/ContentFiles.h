#ifndef TARVO_UPDATE_SERVER_CONTENTFILES_H
#define TARVO_UPDATE_SERVER_CONTENTFILES_H

#include <httplib.h>

#include <map>
#include <string>

// The files of the update server's content folder, as answers to GET and HEAD requests:
//   - a path below the folder names a file ("/" at the end: its index.html); nothing outside it is served;
//   - the file is streamed from disk in pieces, never read whole into memory, with a strong ETag (size,
//     modification time, inode) and its Last-Modified date, and "Accept-Ranges: bytes";
//   - "Range: bytes=<first>-[<last>]" or "bytes=-<suffix>" (one range) gets 206 with Content-Range, or
//     416 with "Content-Range: bytes */<length>" when it starts past the end; an If-Range that names
//     another version of the file (another ETag or date) gets the whole file; several ranges, too;
//   - a request in absolute form ("GET http://host/path", as clients ask a proxy) is served by its path.
class CONTENT_FILES
{
public:
    explicit CONTENT_FILES(std::string folder);

    // Content-Type of the files whose name ends with "." + extension.
    void SetMimeType(const std::string& extension, const std::string& type);
    // The request's path without the scheme and host of an absolute-form request.
    static std::string PathOf(const httplib::Request& request);
    // Sets the answer and returns true when the request names a file of the folder.
    bool Serve(const httplib::Request& request, httplib::Response& response) const;
    // The body bytes written for the last file answered on this thread (the server writes each answer on
    // the thread that handled it), and forgets them; -1 when the answer was no file.
    static long long TakeBytesSent();

private:
    // The file that path names, or "" for a path that leaves the folder or names no file.
    std::string FileOf(const std::string& path) const;
    std::string MimeType(const std::string& file) const;

    std::string folder;
    std::map<std::string, std::string> mimeTypes;
};

#endif // TARVO_UPDATE_SERVER_CONTENTFILES_H

#include "ContentFiles.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// The piece of a file read and written at a time: the server's memory does not grow with the file.
constexpr size_t CHUNK_BYTES = 64 * 1024;
constexpr int PARTIAL_CONTENT = 206;
constexpr int RANGE_NOT_SATISFIABLE = 416;
const std::string DEFAULT_MIME_TYPE = "application/octet-stream";

thread_local long long bytesSent = -1;

// An open file, closed with the last answer that reads it.
struct OPEN_FILE
{
    explicit OPEN_FILE(int descriptor) : descriptor(descriptor) {}
    ~OPEN_FILE() { ::close(descriptor); }
    OPEN_FILE(const OPEN_FILE&) = delete;
    OPEN_FILE& operator=(const OPEN_FILE&) = delete;
    int descriptor;
};

// The one range a request asks for, in a file of a given length.
struct RANGE
{
    bool asked = false;
    bool satisfiable = true;
    size_t first = 0;
    size_t last = 0;
};

std::string Hex(unsigned long long value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%llx", value);
    return text;
}

// Changes whenever the file's bytes may have: its size, its modification time (ns) or the file itself.
std::string StrongTag(const struct stat& status)
{
    const unsigned long long modified =
        static_cast<unsigned long long>(status.st_mtim.tv_sec) * 1000000000ULL +
        static_cast<unsigned long long>(status.st_mtim.tv_nsec);
    return "\"" + Hex(static_cast<unsigned long long>(status.st_size)) + "-" + Hex(modified) + "-" +
           Hex(static_cast<unsigned long long>(status.st_ino)) + "\"";
}

std::string HttpDate(time_t time)
{
    struct tm parts;
    char text[64];
    ::gmtime_r(&time, &parts);
    std::strftime(text, sizeof(text), "%a, %d %b %Y %H:%M:%S GMT", &parts);
    return text;
}

bool ParseNumber(const std::string& text, size_t& number)
{
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
    {
        return false;
    }
    number = static_cast<size_t>(std::stoull(text));
    return true;
}

// "bytes=<first>-[<last>]" or "bytes=-<suffix>"; anything else (several ranges included) asks for nothing.
RANGE ParseRange(const std::string& header, size_t length)
{
    RANGE range;
    const std::string unit = "bytes=";
    const size_t dash = header.find('-');
    if (header.compare(0, unit.size(), unit) != 0 || header.find(',') != std::string::npos ||
        dash == std::string::npos)
    {
        return range;
    }
    const std::string firstText = header.substr(unit.size(), dash - unit.size());
    const std::string lastText = header.substr(dash + 1);
    size_t first = 0;
    size_t last = length == 0 ? 0 : length - 1;
    if (firstText.empty())
    {
        size_t suffix = 0;
        if (!ParseNumber(lastText, suffix))
        {
            return range;
        }
        range.asked = true;
        range.satisfiable = suffix > 0 && length > 0;
        first = length - std::min(suffix, length);
    }
    else
    {
        size_t asked = 0;
        if (!ParseNumber(firstText, first) ||
            (!lastText.empty() && (!ParseNumber(lastText, asked) || asked < first)))
        {
            return range;
        }
        range.asked = true;
        range.satisfiable = first < length;
        last = lastText.empty() ? last : std::min(asked, last);
    }
    range.first = first;
    range.last = last;
    return range;
}
} // namespace

CONTENT_FILES::CONTENT_FILES(std::string folder) : folder(std::move(folder)) {}

void CONTENT_FILES::SetMimeType(const std::string& extension, const std::string& type)
{
    mimeTypes[extension] = type;
}

std::string CONTENT_FILES::PathOf(const httplib::Request& request)
{
    const std::string& target = request.path;
    const size_t scheme = target.find("://");
    if (target.empty() || target[0] == '/' || scheme == std::string::npos)
    {
        return target;
    }
    const size_t path = target.find('/', scheme + 3);
    return path == std::string::npos ? "/" : target.substr(path);
}

std::string CONTENT_FILES::FileOf(const std::string& path) const
{
    if (path.empty() || path[0] != '/' || path.find('\\') != std::string::npos ||
        path.find('\0') != std::string::npos)
    {
        return std::string();
    }
    size_t start = 1;
    while (start <= path.size())
    {
        const size_t end = std::min(path.find('/', start), path.size());
        if (path.compare(start, end - start, "..") == 0 && end - start == 2)
        {
            return std::string();
        }
        start = end + 1;
    }
    return folder + path + (path.back() == '/' ? "index.html" : "");
}

std::string CONTENT_FILES::MimeType(const std::string& file) const
{
    const size_t name = file.find_last_of('/');
    const size_t dot = file.find_last_of('.');
    if (dot == std::string::npos || (name != std::string::npos && dot < name))
    {
        return DEFAULT_MIME_TYPE;
    }
    const auto type = mimeTypes.find(file.substr(dot + 1));
    return type == mimeTypes.end() ? DEFAULT_MIME_TYPE : type->second;
}

bool CONTENT_FILES::Serve(const httplib::Request& request, httplib::Response& response) const
{
    bytesSent = -1;
    const std::string path = FileOf(PathOf(request));
    const int descriptor = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
    {
        return false;
    }
    const auto file = std::make_shared<OPEN_FILE>(descriptor);
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
    {
        return false;
    }
    // The ranges are answered here, from the file: the library would apply them to a body held in memory.
    const_cast<httplib::Request&>(request).ranges.clear();
    const size_t length = static_cast<size_t>(status.st_size);
    const std::string tag = StrongTag(status);
    const std::string date = HttpDate(status.st_mtim.tv_sec);
    response.set_header("ETag", tag);
    response.set_header("Last-Modified", date);
    response.set_header("Accept-Ranges", "bytes");
    RANGE range = ParseRange(request.get_header_value("Range"), length);
    const std::string ifRange = request.get_header_value("If-Range");
    // The rest of another version of the file would not continue what the client holds: it gets all.
    range.asked = range.asked && (ifRange.empty() || ifRange == tag || ifRange == date);
    if (range.asked && !range.satisfiable)
    {
        response.status = RANGE_NOT_SATISFIABLE;
        response.set_header("Content-Range", "bytes */" + std::to_string(length));
        return true;
    }
    size_t first = 0;
    size_t count = length;
    response.status = 200;
    if (range.asked)
    {
        response.status = PARTIAL_CONTENT;
        first = range.first;
        count = range.last - range.first + 1;
        response.set_header("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                 std::to_string(range.last) + "/" + std::to_string(length));
    }
    bytesSent = 0;
    if (count == 0)
    {
        response.set_content(std::string(), MimeType(path).c_str());
        return true;
    }
    response.set_content_provider(count, MimeType(path).c_str(),
                                  [file, first](size_t offset, size_t remaining, httplib::DataSink& sink)
                                  {
                                      char chunk[CHUNK_BYTES];
                                      const ssize_t read =
                                          ::pread(file->descriptor, chunk, std::min(remaining, CHUNK_BYTES),
                                                  static_cast<off_t>(first + offset));
                                      if (read <= 0 || !sink.write(chunk, static_cast<size_t>(read)))
                                      {
                                          return false;
                                      }
                                      bytesSent += read;
                                      return true;
                                  });
    return true;
}

long long CONTENT_FILES::TakeBytesSent()
{
    const long long sent = bytesSent;
    bytesSent = -1;
    return sent;
}

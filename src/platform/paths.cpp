#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/cp1252.h"
#include "platform/io_error.h"

namespace qv {

namespace {
std::string gRoot = "/";

std::string WithSlash(std::string d) {
    if (d.empty() || d.back() != '/') d.push_back('/');
    return d;
}

bool Exists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

// The characters of a file name with the letters Windows-1252 has in both cases lowered; a byte
// that is no UTF-8 stays itself, apart from every character.
std::u32string FoldedName(std::string_view name) {
    std::u32string out;
    for (size_t at = 0; at < name.size();) {
        const size_t start = at;
        const int32_t cp = NextUtf8(name, at);
        char32_t c = cp < 0 ? char32_t(0x110000 + static_cast<unsigned char>(name[start])) : char32_t(cp);
        if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            c += 0x20;
        else if (c == 0x160 || c == 0x152 || c == 0x17D)
            ++c;  // S, OE, Z with their marks
        else if (c == 0x178)
            c = 0xFF;  // Y diaeresis
        out.push_back(c);
    }
    return out;
}

// Finds `name` in directory `dir` ignoring case; empty when absent.
std::string MatchInDir(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    const std::u32string wanted = FoldedName(name);
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (FoldedName(e->d_name) == wanted) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

// Resolves every component but the last one given; returns false if some parent is missing.
bool ResolveParents(const std::string& path, std::string& parent, std::string& last) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        parent.clear();
        last = path;
        return true;
    }
    last = path.substr(slash + 1);
    std::string p = path.substr(0, slash + 1);
    if (Exists(p)) {
        parent = p;
        return true;
    }
    // Walk component by component.
    std::string built = p[0] == '/' ? "/" : "";
    size_t pos = p[0] == '/' ? 1 : 0;
    while (pos < p.size()) {
        size_t next = p.find('/', pos);
        std::string comp = p.substr(pos, next - pos);
        pos = next + 1;
        if (comp.empty()) continue;
        std::string cand = built + comp;
        if (!Exists(cand)) {
            std::string m = MatchInDir(built, comp);
            if (m.empty()) return false;
            cand = built + m;
        }
        built = cand + "/";
    }
    parent = built;
    return true;
}
}  // namespace

void SetRootDir(std::string dir) {
    gRoot = WithSlash(std::move(dir));
}
const std::string& RootDir() {
    return gRoot;
}

std::string DefaultRootDir(const char* rootOption) {
    if (rootOption && *rootOption) return WithSlash(rootOption);
    if (const char* env = std::getenv("QUORVANTA_ROOT"); env && *env) return WithSlash(env);
    if (const char* home = std::getenv("HOME"); home && *home) return WithSlash(home);
    return "/";
}

std::string NormalizePath(std::string_view stored) {
    std::string s(stored);
    for (char& c : s)
        if (c == '\\') c = '/';
    if (s.size() >= 2 && s[1] == ':' && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'))) {
        s = s.substr(2);
        while (!s.empty() && s[0] == '/') s.erase(0, 1);
        return gRoot + s;
    }
    if (s == "/") return gRoot;  // "\" alone is the root of the drive
    if (!s.empty() && s[0] == '/' && s.compare(0, gRoot.size(), gRoot) != 0) {
        // A rooted Windows path ("\quorvanta.tv\...") is below our root; a path already
        // below the root, or an absolute path of this machine that exists, stays as it is.
        size_t firstEnd = s.find('/', 1);
        std::string head = s.substr(0, firstEnd == std::string::npos ? s.size() : firstEnd);
        if (!Exists(head)) return gRoot + s.substr(1);
    }
    return s;
}

bool ClimbsAboveItsStart(std::string_view stored) {
    if (stored.size() >= 2 && stored[1] == ':') stored.remove_prefix(2);
    int depth = 0;
    while (!stored.empty()) {
        const size_t end = std::min(stored.find_first_of("/\\"), stored.size());
        const std::string_view part = stored.substr(0, end);
        stored.remove_prefix(std::min(end + 1, stored.size()));
        if (part == "..") {
            if (--depth < 0) return true;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
    }
    return false;
}

std::string NormalizeDir(std::string_view stored) {
    if (stored.empty()) return {};
    return WithSlash(NormalizePath(stored));
}

std::string PathFromStored(std::string_view stored) {
    return Cp1252ToUtf8(stored);
}

std::string StoredDir(std::string_view stored) {
    return NormalizeDir(PathFromStored(stored));
}

std::string StoredPath(std::string_view stored) {
    return NormalizePath(PathFromStored(stored));
}

std::string StoredText(const std::string& path) {
    std::optional<std::string> text = Utf8ToCp1252Exact(path);
    if (!text) ThrowIo(kInvalidFileName, path);
    return *std::move(text);
}

bool PathStorable(const std::string& path) {
    return Utf8ToCp1252Exact(path).has_value();
}

std::string DisplayPath(const std::string& path) {
    return Utf8ToCp1252(path);
}

std::string ResolveExisting(const std::string& path) {
    if (path.empty() || Exists(path)) return path;
    std::string parent, last;
    if (!ResolveParents(path, parent, last)) return path;
    if (last.empty()) return parent;
    if (Exists(parent + last)) return parent + last;
    std::string m = MatchInDir(parent, last);
    return m.empty() ? path : parent + m;
}

std::string ResolveForCreate(const std::string& path) {
    if (path.empty() || Exists(path)) return path;
    std::string parent, last;
    if (!ResolveParents(path, parent, last)) return path;
    std::string m = MatchInDir(parent, last);
    return parent + (m.empty() ? last : m);
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(ResolveExisting(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileIsThere(const std::string& path) {
    const std::string resolved = ResolveExisting(path);
    struct stat st;
    if (::stat(resolved.c_str(), &st) == 0) return S_ISREG(st.st_mode);
    if (errno == ENOENT || errno == ENOTDIR) return false;
    ThrowErrno(path);
}

std::optional<int64_t> FileModifiedTime(const std::string& path) {
    struct stat st;
    if (::stat(ResolveExisting(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

std::string DirectoryPart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool DirExists(const std::string& path) {
    struct stat st;
    return ::stat(ResolveExisting(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeDirs(const std::string& dir) {
    std::string d = WithSlash(dir);
    for (size_t pos = 1; pos < d.size(); ++pos) {
        if (d[pos] != '/') continue;
        std::string part = d.substr(0, pos);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return DirExists(d);
}

}  // namespace qv

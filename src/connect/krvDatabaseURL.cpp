#include "connect/krvDatabaseURL.h"

#include <cstdlib>

#include "connect/krvDBEngine.h"
#include "core/krvStrUtils.h"

namespace dbtwin {

namespace {

EKrvError UrlError(const std::string& aPrintable, const std::string& aWhat) {
    return EKrvError("Invalid database URL " + aPrintable + ": " + aWhat);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes %XX; nullopt for a malformed escape.
std::optional<std::string> PercentDecode(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            r += s[i];
            continue;
        }
        if (i + 2 >= s.size()) return std::nullopt;
        const int h = HexValue(s[i + 1]), l = HexValue(s[i + 2]);
        if (h < 0 || l < 0) return std::nullopt;
        r += static_cast<char>(h * 16 + l);
        i += 2;
    }
    return r;
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

bool IsFirebirdFile(std::string_view s) { return EndsWithNoCase(s, ".fdb") || EndsWithNoCase(s, ".gdb"); }

struct TScheme {
    std::string_view Prefix;
    TDatabaseType DatabaseType;
};

constexpr TScheme Schemes[] = {
    {"firebird://", dbInterBase}, {"postgresql://", dbPostgreSQL}, {"postgres://", dbPostgreSQL},
    {"mysql://", dbMySQL},        {"mariadb://", dbMySQL},
};

const char* KindPasswordVariable(TDatabaseType aType) {
    switch (aType) {
    case dbInterBase: return "ISC_PASSWORD";
    case dbPostgreSQL: return "PGPASSWORD";
    case dbMySQL: return "MYSQL_PWD";
    default: return nullptr;
    }
}

std::string EnvPassword(TDatabaseType aType, const TGetEnv& aGetEnv) {
    if (!aGetEnv) return {};
    if (auto p = aGetEnv("DBTWIN_PASSWORD")) return *p;
    if (const char* var = KindPasswordVariable(aType))
        if (auto p = aGetEnv(var)) return *p;
    return {};
}

// The URL with the password of its user part replaced by ***, and any password query
// parameter too.
std::string MaskURL(std::string_view aURL) {
    std::string r(aURL);
    auto sep = r.find("://");
    if (sep != std::string::npos) {
        const std::size_t start = sep + 3;
        std::size_t end = r.find_first_of("/?#", start);
        if (end == std::string::npos) end = r.size();
        const std::size_t at = r.rfind('@', end);
        if (at != std::string::npos && at >= start) {
            const std::size_t colon = r.find(':', start);
            if (colon != std::string::npos && colon < at) r.replace(colon + 1, at - colon - 1, "***");
        }
    }
    // ?password=... / &password=...
    for (std::size_t q = r.find('?'); q != std::string::npos && q < r.size();) {
        const std::size_t keyStart = q + 1;
        std::size_t next = r.find('&', keyStart);
        const std::size_t eq = r.find('=', keyStart);
        if (eq != std::string::npos && (next == std::string::npos || eq < next)) {
            auto key = PercentDecode(std::string_view(r).substr(keyStart, eq - keyStart));
            if (key && *key == "password") {
                const std::size_t vend = next == std::string::npos ? r.size() : next;
                r.replace(eq + 1, vend - eq - 1, "***");
                next = r.find('&', eq);
            }
        }
        q = next;
    }
    return r;
}

// Host and port of one "host[:port]" item; IPv6 addresses in brackets.
void ParseHostPort(std::string_view aItem, const std::string& aPrintable, std::string& aHost,
                   std::int32_t& aPort) {
    std::string_view portText;
    if (!aItem.empty() && aItem.front() == '[') {
        const std::size_t close = aItem.find(']');
        if (close == std::string_view::npos) throw UrlError(aPrintable, "the IPv6 host has no closing ']'");
        aHost = std::string(aItem.substr(1, close - 1));
        if (aHost.empty()) throw UrlError(aPrintable, "the host is empty");
        std::string_view rest = aItem.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') throw UrlError(aPrintable, "unexpected text after the IPv6 host");
            portText = rest.substr(1);
            if (portText.empty()) throw UrlError(aPrintable, "the port is empty");
        }
    } else {
        const std::size_t colon = aItem.find(':');
        if (colon != std::string_view::npos && aItem.find(':', colon + 1) != std::string_view::npos)
            throw UrlError(aPrintable, "an IPv6 host must be written in brackets ([::1])");
        auto host = PercentDecode(aItem.substr(0, colon));
        if (!host) throw UrlError(aPrintable, "bad percent-encoding in the host");
        aHost = *host;
        if (colon != std::string_view::npos) {
            portText = aItem.substr(colon + 1);
            if (portText.empty()) throw UrlError(aPrintable, "the port is empty");
        }
    }
    aPort = 0;
    if (!portText.empty()) {
        long v = 0;
        for (char c : portText) {
            if (c < '0' || c > '9' || v > 65535) {
                v = -1;
                break;
            }
            v = v * 10 + (c - '0');
        }
        if (v < 1 || v > 65535)
            throw UrlError(aPrintable, "the port '" + std::string(portText) + "' is not a number from 1 to 65535");
        aPort = static_cast<std::int32_t>(v);
    }
}

}  // namespace

std::optional<std::string> ProcessGetEnv(const char* aName) {
    if (const char* v = std::getenv(aName)) return std::string(v);
    return std::nullopt;
}

bool IsDatabaseURL(std::string_view aText) {
    for (const auto& s : Schemes)
        if (aText.size() >= s.Prefix.size() && SameText(aText.substr(0, s.Prefix.size()), s.Prefix)) return true;
    if (aText.size() > 9 && SameText(aText.substr(0, 9), "firebird:")) return true;
    return IsFirebirdFile(aText);
}

std::string LibpqQuote(std::string_view aValue) {
    std::string r = "'";
    for (char c : aValue) {
        if (c == '\'' || c == '\\') r += '\\';
        r += c;
    }
    return r + "'";
}

TDatabaseURL ParseDatabaseURL(std::string_view aURL, const TGetEnv& aGetEnv) {
    TDatabaseURL r;
    r.Printable = MaskURL(aURL);
    const std::string& shown = r.Printable;
    TConnectionOptions& o = r.ConnectionOptions;

    const TScheme* scheme = nullptr;
    for (const auto& s : Schemes)
        if (aURL.size() >= s.Prefix.size() && SameText(aURL.substr(0, s.Prefix.size()), s.Prefix)) {
            scheme = &s;
            break;
        }

    if (!scheme) {
        // Embedded Firebird: "firebird:PATH" or a database file path.
        std::string_view path;
        if (aURL.size() >= 9 && SameText(aURL.substr(0, 9), "firebird:"))
            path = aURL.substr(9);
        else if (IsFirebirdFile(aURL))
            path = aURL;
        else
            throw UrlError(shown, "unknown kind (use firebird://, firebird:PATH, a .fdb/.gdb file, "
                                  "postgresql://, postgres://, mysql:// or mariadb://)");
        if (path.empty()) throw UrlError(shown, "the database path is empty");
        r.DatabaseType = dbInterBase;
        r.ConnectionType = IBConnectionType;
        r.Embedded = true;
        o.SetProtocol(ptLocal);
        o.SetDatabaseName(std::string(path));
        o.SetPassword(EnvPassword(dbInterBase, aGetEnv));
        return r;
    }

    r.DatabaseType = scheme->DatabaseType;
    r.ConnectionType = DefConnectionByDatabase(r.DatabaseType);
    o.SetProtocol(ptTCP);
    std::string_view rest = aURL.substr(scheme->Prefix.size());
    if (const std::size_t hash = rest.find('#'); hash != std::string_view::npos) rest = rest.substr(0, hash);

    std::string_view query;
    if (const std::size_t q = rest.find('?'); q != std::string_view::npos) {
        query = rest.substr(q + 1);
        rest = rest.substr(0, q);
    }
    const std::size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    std::string_view path = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);

    // user[:password]@ ; an unencoded "@" in the password is tolerated: the last one counts.
    bool hasPassword = false;
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        std::string_view userinfo = authority.substr(0, at);
        authority = authority.substr(at + 1);
        const std::size_t colon = userinfo.find(':');
        auto user = PercentDecode(userinfo.substr(0, colon));
        if (!user) throw UrlError(shown, "bad percent-encoding in the user name");
        o.SetUserName(*user);
        if (colon != std::string_view::npos) {
            auto pw = PercentDecode(userinfo.substr(colon + 1));
            if (!pw) throw UrlError(shown, "bad percent-encoding in the password");
            o.SetPassword(*pw);
            hasPassword = true;
        }
    }

    // Hosts: one, or for PostgreSQL a comma-separated list.
    std::vector<std::pair<std::string, std::int32_t>> hosts;
    if (!authority.empty()) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = authority.find(',', start);
            std::string_view item = authority.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
            if (item.empty()) throw UrlError(shown, "an empty host in the host list");
            std::pair<std::string, std::int32_t> hp;
            ParseHostPort(item, shown, hp.first, hp.second);
            hosts.push_back(hp);
            if (comma == std::string_view::npos) break;
            start = comma + 1;
        }
        if (hosts.size() > 1 && r.DatabaseType != dbPostgreSQL)
            throw UrlError(shown, "only one host may be given");
    }
    if (!hosts.empty()) {
        o.SetHostName(hosts[0].first);
        o.SetPort(hosts[0].second);
    }

    auto decodedPath = PercentDecode(path);
    if (!decodedPath) throw UrlError(shown, "bad percent-encoding in the database path");

    // Query parameters.
    std::string queryPassword;
    bool hasQueryPassword = false;
    std::size_t start = 0;
    while (start < query.size()) {
        std::size_t amp = query.find('&', start);
        std::string_view item = query.substr(start, amp == std::string_view::npos ? std::string_view::npos : amp - start);
        start = amp == std::string_view::npos ? query.size() : amp + 1;
        if (item.empty()) continue;
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos || eq == 0)
            throw UrlError(shown, "the query parameter '" + std::string(item.substr(0, eq)) + "' has no name=value form");
        auto key = PercentDecode(item.substr(0, eq));
        if (!key) throw UrlError(shown, "bad percent-encoding in a query parameter name");
        auto value = PercentDecode(item.substr(eq + 1));
        if (!value)
            throw UrlError(shown, "bad percent-encoding in the value of the query parameter '" + *key + "'");
        if (*key == "password") {
            queryPassword = *value;
            hasQueryPassword = true;
            continue;
        }
        r.Params.emplace_back(*key, *value);
    }
    if (hasQueryPassword && !hasPassword) {
        o.SetPassword(queryPassword);
        hasPassword = true;
    }
    if (!hasPassword) o.SetPassword(EnvPassword(r.DatabaseType, aGetEnv));

    switch (r.DatabaseType) {
    case dbInterBase:
        if (hosts.empty()) throw UrlError(shown, "the host is missing (use firebird:PATH for a database without a server)");
        if (decodedPath->empty()) throw UrlError(shown, "the database path is missing");
        if (!r.Params.empty()) throw UrlError(shown, "query parameters are not supported for Firebird");
        o.SetDatabaseName(*decodedPath);
        break;
    case dbMySQL:
        if (hosts.empty()) throw UrlError(shown, "the host is missing");
        if (decodedPath->find('/') != std::string::npos) throw UrlError(shown, "the database name holds a '/'");
        o.SetDatabaseName(*decodedPath);
        break;
    case dbPostgreSQL: {
        if (decodedPath->find('/') != std::string::npos) throw UrlError(shown, "the database name holds a '/'");
        o.SetDatabaseName(*decodedPath);
        // libpq keyword/value string; the URL's parts first, then every query parameter.
        std::string cs;
        auto add = [&cs](const std::string& k, const std::string& v) {
            if (!cs.empty()) cs += ' ';
            cs += k + "=" + LibpqQuote(v);
        };
        if (!hosts.empty()) {
            std::string hostList, portList;
            bool anyPort = false;
            for (std::size_t i = 0; i < hosts.size(); ++i) {
                if (i) {
                    hostList += ',';
                    portList += ',';
                }
                hostList += hosts[i].first;
                if (hosts[i].second) {
                    portList += std::to_string(hosts[i].second);
                    anyPort = true;
                }
            }
            add("host", hostList);
            if (anyPort) add("port", portList);
        }
        if (!decodedPath->empty()) add("dbname", *decodedPath);
        if (!o.GetUserName().empty()) add("user", o.GetUserName());
        for (const auto& [k, v] : r.Params) {
            for (char c : k)
                if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
                    throw UrlError(shown, "the query parameter name '" + k + "' is not a libpq keyword");
            add(k, v);
            if (k == "host" && o.GetHostName().empty()) o.SetHostName(v);
            if (k == "dbname" && o.GetDatabaseName().empty()) o.SetDatabaseName(v);
            if (k == "user" && o.GetUserName().empty()) o.SetUserName(v);
        }
        o.SetConnectionString(cs);
        break;
    }
    default: break;
    }
    return r;
}

void ApplyDatabaseURL(const TDatabaseURL& aURL, TKRVCustomConnection& aConnection) {
    aConnection.SetDatabaseType(aURL.DatabaseType);
    aConnection.SetConnectionType(aURL.ConnectionType);
    aConnection.SetConnectionOptions(aURL.ConnectionOptions);
}

}  // namespace dbtwin

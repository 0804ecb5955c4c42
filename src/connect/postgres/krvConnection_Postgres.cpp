#include "connect/postgres/krvConnection_Postgres.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <deque>
#include <vector>

#include "core/krvQuote.h"
#include "core/krvStrUtils.h"

namespace dbtwin {

namespace {

// Type OIDs of pg_type the rows are read by.
enum : Oid {
    oidBool = 16, oidBytea = 17, oidInt8 = 20, oidInt2 = 21, oidInt4 = 23, oidOid = 26,
    oidFloat4 = 700, oidFloat8 = 701, oidDate = 1082, oidTime = 1083, oidTimestamp = 1114,
    oidNumeric = 1700
};

std::string TrimMessage(const char* aText) {
    std::string s = aText ? aText : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s.empty() ? std::string("Unknown PostgreSQL error") : s;
}

struct TResultFree {
    void operator()(PGresult* r) const { PQclear(r); }
};
using TResult = std::unique_ptr<PGresult, TResultFree>;

// Statements a cursor can be declared for: a query that only reads. Anything in doubt runs
// unnamed in single-row mode, which always works.
bool CursorAble(const std::string& aText, bool aHold) {
    std::size_t i = 0;
    const std::size_t n = aText.size();
    for (;;) {
        while (i < n && (std::isspace(static_cast<unsigned char>(aText[i])) || aText[i] == '(')) ++i;
        if (aText.compare(i, 2, "--") == 0) {
            i = aText.find('\n', i);
            if (i == std::string::npos) return false;
        } else if (aText.compare(i, 2, "/*") == 0) {
            i = aText.find("*/", i);
            if (i == std::string::npos) return false;
            i += 2;
        } else {
            break;
        }
    }
    std::size_t e = i;
    while (e < n && std::isalpha(static_cast<unsigned char>(aText[e]))) ++e;
    const std::string first = UpperCase(aText.substr(i, e - i));
    if (first != "SELECT" && first != "WITH" && first != "VALUES" && first != "TABLE") return false;
    // Words that would make DECLARE refuse the query (data-modifying WITH, SELECT INTO, row
    // locks under WITH HOLD). A word inside a literal only costs the cursor.
    std::string up = UpperCase(aText);
    for (char& c : up)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') c = ' ';
    up = " " + up + " ";
    for (const char* w : {" INSERT ", " UPDATE ", " DELETE ", " MERGE ", " INTO "})
        if (up.find(w) != std::string::npos) return false;
    if (aHold && (up.find(" FOR SHARE ") != std::string::npos || up.find(" FOR KEY SHARE ") != std::string::npos ||
                  up.find(" FOR NO KEY ") != std::string::npos))
        return false;
    return true;
}

class TPGSession;

// An open result: a cursor read in batches, or an unnamed statement read in single-row mode.
class TPGStatement : public TZeosStatement {
public:
    TPGStatement(TPGSession* aSession, std::string aCursor, bool aHold)
        : fSession(aSession), fCursor(std::move(aCursor)), fHold(aHold) {}
    ~TPGStatement() override;

    bool Fetch(TKRVFields& aFields) override;
    bool EndsWithTransaction() const override { return !fCursor.empty() && !fHold; }

    // Single-row mode: reads what is left of the result into memory so that the connection
    // can run another statement.
    void Park();
    void Detach() { fSession = nullptr; }
    void SetFirst(TResult aFirst) { fPending.push_back(std::move(aFirst)); }
    void SetStreaming() { fStreaming = true; }

private:
    bool NextBatch();
    void ReadRow(const PGresult* r, int aRow, TKRVFields& aFields);

    TPGSession* fSession;
    std::string fCursor;  // empty: single-row mode
    bool fHold;
    bool fStreaming = false;  // single-row results still to come from the connection
    bool fDone = false;
    std::deque<TResult> fPending;
    TResult fBatch;
    int fRow = 0;
    int fFetchCount = 100;
};

class TPGSession : public TZeosSession {
public:
    explicit TPGSession(TKRVCustomConnection& aConnection);
    ~TPGSession() override {
        for (TPGStatement* s : fStatements) s->Detach();
        if (fConn) PQfinish(fConn);
    }

    bool Connected() const override { return fConn != nullptr; }
    std::unique_ptr<TZeosStatement> Execute(const std::string& aText, const TKRVParams& aParams) override;
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() override {
        if (!fConn) return false;
        const PGTransactionStatusType t = PQtransactionStatus(fConn);
        return t == PQTRANS_INTRANS || t == PQTRANS_INERROR || t == PQTRANS_ACTIVE;
    }

    PGconn* Conn() {
        if (!fConn) throw EKrvError("Not connected to a database.");
        return fConn;
    }
    // Frees the connection for another command: the statement in single-row mode reads the
    // rest of its result into memory.
    void Free() {
        if (fStreaming) {
            TPGStatement* s = fStreaming;
            fStreaming = nullptr;
            s->Park();
        }
    }
    // Runs a command without parameters; throws the server's message.
    TResult Exec(const std::string& aSQL) {
        Free();
        TResult r(PQexec(Conn(), aSQL.c_str()));
        Check(r.get());
        return r;
    }
    // Throws the server's message when the result is an error; forgets a lost connection.
    void Check(const PGresult* r) {
        const ExecStatusType st = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
        if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK || st == PGRES_SINGLE_TUPLE) return;
        Fail(r ? PQresultErrorMessage(r) : nullptr);
    }
    [[noreturn]] void Fail(const char* aMessage) {
        std::string msg = TrimMessage(aMessage && *aMessage ? aMessage : fConn ? PQerrorMessage(fConn) : nullptr);
        if (fConn && PQstatus(fConn) == CONNECTION_BAD) Lost();
        throw EKrvError(msg);
    }
    void Lost() noexcept {
        for (TPGStatement* s : fStatements) s->Detach();
        fStatements.clear();
        fStreaming = nullptr;
        PQfinish(fConn);
        fConn = nullptr;
    }
    void Add(TPGStatement* s) { fStatements.push_back(s); }
    void Remove(TPGStatement* s) {
        fStatements.erase(std::remove(fStatements.begin(), fStatements.end(), s), fStatements.end());
        if (fStreaming == s) fStreaming = nullptr;
    }
    void SetStreaming(TPGStatement* s) { fStreaming = s; }
    void CloseLater(const std::string& aCursor) { fCloseLater.push_back(aCursor); }
    // Closes the held cursors whose queries ended while the transaction had failed.
    void CloseHeld() {
        std::vector<std::string> names;
        names.swap(fCloseLater);
        for (const auto& n : names) Exec("CLOSE " + n);
    }
    bool IsStreaming(const TPGStatement* s) const { return fStreaming == s; }

private:
    PGconn* fConn = nullptr;
    TPGStatement* fStreaming = nullptr;
    std::vector<TPGStatement*> fStatements;
    std::vector<std::string> fCloseLater;
    unsigned fCursorNo = 0;
};

TPGSession::TPGSession(TKRVCustomConnection& aConnection) {
    const TConnectionOptions& o = aConnection.GetConnectionOptions();
    std::vector<const char*> keys, values;
    std::vector<std::string> keep;
    keep.reserve(16);
    auto add = [&](const char* k, std::string v) {
        keep.push_back(std::move(v));
        keys.push_back(k);
        values.push_back(keep.back().c_str());
    };
    add("connect_timeout", "30");
    add("fallback_application_name", "dbtwin");
    if (!o.GetConnectionString().empty()) {
        // The keyword/value string (every parameter of the URL); expanded by libpq.
        add("dbname", o.GetConnectionString());
    } else {
        if (!o.GetHostName().empty()) add("host", o.GetHostName());
        if (o.GetPort() != 0) add("port", std::to_string(o.GetPort()));
        if (!o.GetDatabaseName().empty()) add("dbname", o.GetDatabaseName());
        if (!o.GetUserName().empty()) add("user", o.GetUserName());
    }
    if (!o.GetPassword().empty()) add("password", o.GetPassword());
    // The library's text is UTF-8.
    add("client_encoding", "UTF8");
    keys.push_back(nullptr);
    values.push_back(nullptr);
    fConn = PQconnectdbParams(keys.data(), values.data(), 1);
    if (!fConn) throw std::bad_alloc();
    if (PQstatus(fConn) != CONNECTION_OK) {
        std::string msg = TrimMessage(PQerrorMessage(fConn));
        PQfinish(fConn);
        fConn = nullptr;
        throw EKrvError(msg);
    }
    try {
        Exec("SET DateStyle = ISO");
        Exec("SET extra_float_digits = 3");
    } catch (...) {
        if (fConn) PQfinish(fConn);
        fConn = nullptr;
        throw;
    }
}

std::unique_ptr<TZeosStatement> TPGSession::Execute(const std::string& aText, const TKRVParams& aParams) {
    PGconn* c = Conn();
    Free();
    if (aText.find('\0') != std::string::npos) throw EKrvError("The statement text holds a NUL character.");
    // Parameters: text format, the type left to the server; bytes in binary format as bytea.
    const std::size_t n = aParams.Count();
    std::vector<std::string> texts(n);
    std::vector<const char*> values(n);
    std::vector<int> lengths(n), formats(n);
    std::vector<Oid> types(n);
    for (std::size_t i = 0; i < n; ++i) {
        const TKRVParam& p = aParams.BoundValue(i);
        if (p.IsNull()) {
            values[i] = nullptr;
            types[i] = p.GetDataType() == ftBlob ? static_cast<Oid>(oidBytea) : Oid{0};
            continue;
        }
        switch (p.GetDataType()) {
        case ftBlob:
            texts[i] = p.AsBlob();
            types[i] = oidBytea;
            formats[i] = 1;
            break;
        case ftBoolean: texts[i] = p.AsBoolean() ? "true" : "false"; break;
        default:
            texts[i] = p.GetDataType() == ftString || p.GetDataType() == ftMemo ? p.AsBlob() : p.AsString();
            // Text parameters end at their first NUL; refuse rather than cut the value.
            if (texts[i].find('\0') != std::string::npos)
                throw EKrvError("Parameter " + std::to_string(i + 1) +
                                " holds a NUL character, which PostgreSQL text cannot hold; bind it as bytes.");
            break;
        }
        values[i] = texts[i].data();
        lengths[i] = static_cast<int>(texts[i].size());
    }
    const bool inTr = PQtransactionStatus(c) == PQTRANS_INTRANS;
    const bool hold = !inTr;
    if (CursorAble(aText, hold) && PQtransactionStatus(c) != PQTRANS_INERROR) {
        // A cursor of the session: other statements can run while it is read. Outside an
        // explicit transaction it is held past the statement's own commit.
        std::string name = "dbtwin_c" + std::to_string(++fCursorNo);
        std::string sql = "DECLARE " + name + " NO SCROLL CURSOR " + (hold ? "WITH HOLD " : "") + "FOR " + aText;
        TResult r(PQexecParams(c, sql.c_str(), static_cast<int>(n), types.data(), values.data(), lengths.data(),
                               formats.data(), 0));
        Check(r.get());
        auto s = std::make_unique<TPGStatement>(this, std::move(name), hold);
        Add(s.get());
        return s;
    }
    if (!PQsendQueryParams(c, aText.c_str(), static_cast<int>(n), types.data(), values.data(), lengths.data(),
                           formats.data(), 0))
        Fail(nullptr);
    PQsetSingleRowMode(c);
    TResult first(PQgetResult(c));
    const ExecStatusType st = first ? PQresultStatus(first.get()) : PGRES_FATAL_ERROR;
    if (st == PGRES_SINGLE_TUPLE) {
        auto s = std::make_unique<TPGStatement>(this, std::string(), false);
        s->SetFirst(std::move(first));
        s->SetStreaming();
        Add(s.get());
        fStreaming = s.get();
        return s;
    }
    // No rows, a command or an error: the rest of the results are read to the end.
    for (TResult more(PQgetResult(c)); more; more.reset(PQgetResult(c))) {}
    Check(first.get());
    if (st == PGRES_TUPLES_OK) {
        auto s = std::make_unique<TPGStatement>(this, std::string(), false);
        s->SetFirst(std::move(first));
        Add(s.get());
        return s;
    }
    return nullptr;
}

void TPGSession::StartTransaction() {
    if (InTransaction()) throw EKrvError("A transaction is already active.");
    Exec("BEGIN");
}

void TPGSession::Commit() {
    Free();
    if (!InTransaction()) throw EKrvError("No active transaction to commit.");
    TResult r = Exec("COMMIT");
    CloseHeld();
    // After an error in the transaction the server answers COMMIT with ROLLBACK.
    if (std::strcmp(PQcmdStatus(r.get()), "ROLLBACK") == 0)
        throw EKrvError("COMMIT failed: the transaction had an error and the server rolled it back.");
}

void TPGSession::Rollback() {
    Free();
    if (!InTransaction()) throw EKrvError("No active transaction to roll back.");
    Exec("ROLLBACK");
    CloseHeld();
}

TPGStatement::~TPGStatement() {
    if (!fSession) return;
    fSession->Remove(this);
    try {
        if (fStreaming) {
            // Drain what the server still sends for the unnamed statement.
            PGconn* c = fSession->Conn();
            for (TResult r(PQgetResult(c)); r; r.reset(PQgetResult(c))) {}
        }
        if (!fCursor.empty() && !fDone && fSession->Connected()) {
            // In a failed transaction CLOSE is refused; a held cursor outlives that
            // transaction and is closed after it ends.
            if (PQtransactionStatus(fSession->Conn()) != PQTRANS_INERROR)
                fSession->Exec("CLOSE " + fCursor);
            else if (fHold)
                fSession->CloseLater(fCursor);
        }
    } catch (...) {
    }
}

void TPGStatement::Park() {
    if (!fSession || !fStreaming) return;
    PGconn* c = fSession->Conn();
    for (TResult r(PQgetResult(c)); r; r.reset(PQgetResult(c))) fPending.push_back(std::move(r));
    fStreaming = false;
}

bool TPGStatement::NextBatch() {
    fBatch.reset();
    fRow = 0;
    if (fDone || !fSession) return false;
    if (fCursor.empty()) {
        if (!fPending.empty()) {
            fBatch = std::move(fPending.front());
            fPending.pop_front();
        } else if (fStreaming) {
            fBatch.reset(PQgetResult(fSession->Conn()));
            if (!fBatch) fStreaming = false;
        }
        if (!fBatch) {
            fDone = true;
            if (fSession->IsStreaming(this)) fSession->SetStreaming(nullptr);
            return false;
        }
        const ExecStatusType st = PQresultStatus(fBatch.get());
        if (st == PGRES_SINGLE_TUPLE) return true;
        if (st == PGRES_TUPLES_OK) {  // the end of the rows; the terminating NULL follows
            if (fStreaming) {
                PGconn* c = fSession->Conn();
                for (TResult r(PQgetResult(c)); r; r.reset(PQgetResult(c))) {}
                fStreaming = false;
                if (fSession->IsStreaming(this)) fSession->SetStreaming(nullptr);
            }
            if (PQntuples(fBatch.get()) > 0) return true;
            fDone = true;
            return false;
        }
        fDone = true;
        fStreaming = false;
        if (fSession->IsStreaming(this)) fSession->SetStreaming(nullptr);
        PGconn* c = fSession->Conn();
        for (TResult r(PQgetResult(c)); r; r.reset(PQgetResult(c))) {}
        fSession->Check(fBatch.get());
        return false;
    }
    fBatch = fSession->Exec("FETCH FORWARD " + std::to_string(fFetchCount) + " FROM " + fCursor);
    const int got = PQntuples(fBatch.get());
    if (got < fFetchCount) {
        // The last batch: the cursor is closed now rather than when the query closes.
        fDone = true;
        if (fSession->Connected() && PQtransactionStatus(fSession->Conn()) != PQTRANS_INERROR) {
            try {
                fSession->Exec("CLOSE " + fCursor);
            } catch (...) {
                fBatch.reset();
                throw;
            }
        }
    } else {
        // Batches of about 4 MB, between 1 and 10000 rows.
        std::size_t bytes = 1;
        for (int r = 0; r < got; ++r)
            for (int f = 0; f < PQnfields(fBatch.get()); ++f) bytes += static_cast<std::size_t>(PQgetlength(fBatch.get(), r, f)) + 8;
        const double scaled = static_cast<double>(fFetchCount) * (4.0 * 1024 * 1024) / static_cast<double>(bytes);
        fFetchCount = static_cast<int>(std::clamp(scaled, 1.0, 10000.0));
    }
    return got > 0;
}

bool TPGStatement::Fetch(TKRVFields& aFields) {
    if (!fSession && !fDone) throw EKrvError("The connection of this result was closed.");
    if (!fBatch || fRow >= PQntuples(fBatch.get())) {
        if (!NextBatch()) return false;
    }
    ReadRow(fBatch.get(), fRow++, aFields);
    return true;
}

std::string HexBytes(const char* s, int len) {
    // bytea in hex output: "\x" then two hex digits a byte.
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    if (len < 2 || s[0] != '\\' || s[1] != 'x') {
        size_t outLen = 0;
        unsigned char* u = PQunescapeBytea(reinterpret_cast<const unsigned char*>(s), &outLen);
        if (!u) throw std::bad_alloc();
        std::string r(reinterpret_cast<char*>(u), outLen);
        PQfreemem(u);
        return r;
    }
    std::string r;
    r.reserve(static_cast<std::size_t>(len - 2) / 2);
    for (int i = 2; i + 1 < len; i += 2) {
        const int a = hex(s[i]), b = hex(s[i + 1]);
        if (a < 0 || b < 0) throw EKrvError("Invalid bytea text from the server.");
        r += static_cast<char>(a * 16 + b);
    }
    return r;
}

void TPGStatement::ReadRow(const PGresult* r, int aRow, TKRVFields& aFields) {
    const int n = PQnfields(r);
    if (aFields.Count() != static_cast<std::size_t>(n)) {
        aFields.Clear();
        for (int i = 0; i < n; ++i) aFields.Add(PQfname(r, i));
    }
    for (int i = 0; i < n; ++i) {
        TKRVField& f = aFields[static_cast<std::size_t>(i)];
        const Oid type = PQftype(r, i);
        const bool null = PQgetisnull(r, aRow, i);
        const char* v = PQgetvalue(r, aRow, i);
        const int len = PQgetlength(r, aRow, i);
        switch (type) {
        case oidBool:
            if (null) f.Clear(ftBoolean); else f.SetBoolean(v[0] == 't');
            break;
        case oidInt2:
        case oidInt4:
        case oidInt8:
        case oidOid: {
            if (null) {
                f.Clear(ftInteger);
                break;
            }
            std::int64_t x = 0;
            auto res = std::from_chars(v, v + len, x);
            if (res.ec != std::errc() || res.ptr != v + len) f.SetString(std::string(v, static_cast<std::size_t>(len)));
            else f.SetInteger(x);
            break;
        }
        case oidFloat4:
        case oidFloat8: {
            if (null) {
                f.Clear(ftFloat);
                break;
            }
            double x = 0;
            std::string t(v, static_cast<std::size_t>(len));
            auto res = std::from_chars(t.data(), t.data() + t.size(), x);
            if (res.ec != std::errc() || res.ptr != t.data() + t.size()) {
                if (t == "Infinity") x = HUGE_VAL;
                else if (t == "-Infinity") x = -HUGE_VAL;
                else if (t == "NaN") x = std::nan("");
                else {
                    f.SetString(t);
                    break;
                }
            }
            if (type == oidFloat4) {
                // The shortest text of the float, read as a double: 0.1 stays 0.1.
                char buf[32];
                auto rr = std::to_chars(buf, buf + sizeof buf, static_cast<float>(x));
                std::from_chars(buf, rr.ptr, x);
            }
            f.SetFloat(x);
            break;
        }
        case oidNumeric:
            if (null) f.Clear(ftBCD); else f.SetBCD(std::string(v, static_cast<std::size_t>(len)));
            break;
        case oidDate:
        case oidTime:
        case oidTimestamp: {
            const TKRVFieldType ft = type == oidDate ? ftDate : type == oidTime ? ftTime : ftDateTime;
            if (null) {
                f.Clear(ft);
                break;
            }
            try {
                f.SetDateTime(TKRVDateTime::Parse(std::string_view(v, static_cast<std::size_t>(len))), ft);
            } catch (const EKrvError&) {
                f.SetString(std::string(v, static_cast<std::size_t>(len)));  // infinity, BC, ...
            }
            break;
        }
        case oidBytea:
            if (null) f.Clear(ftBlob); else f.SetBlob(HexBytes(v, len));
            break;
        default:
            if (null) f.Clear(ftString); else f.SetString(std::string(v, static_cast<std::size_t>(len)));
            break;
        }
    }
}

std::unique_ptr<TZeosSession> Open(TKRVCustomConnection& aConnection) {
    return std::make_unique<TPGSession>(aConnection);
}

// A session on the server of the connection, in its maintenance database.
std::unique_ptr<TPGSession> MaintenanceSession(TKRVCustomConnection& aConnection, std::string& aName) {
    TKRVCustomConnection c;
    c.SetDatabaseType(dbPostgreSQL);
    c.SetConnectionOptions(aConnection.GetConnectionOptions());
    aName = c.GetConnectionOptions().GetDatabaseName();
    if (aName.empty()) throw EKrvError("No database name given.");
    if (aName.find('\0') != std::string::npos) throw EKrvError("Invalid database name.");
    std::string cs = c.GetConnectionOptions().GetConnectionString();
    if (!cs.empty()) c.GetConnectionOptions().SetConnectionString(cs + " dbname='postgres'");
    else c.GetConnectionOptions().SetDatabaseName("postgres");
    return std::make_unique<TPGSession>(c);
}

void CreateDB(TKRVCustomConnection& aConnection) {
    std::string name;
    auto s = MaintenanceSession(aConnection, name);
    s->Exec("CREATE DATABASE " + PGSQLQuoteIdent(name) + " ENCODING 'UTF8' TEMPLATE template0");
}

void DropDB(TKRVCustomConnection& aConnection) {
    std::string name;
    auto s = MaintenanceSession(aConnection, name);
    s->Exec("DROP DATABASE " + PGSQLQuoteIdent(name));
}

}  // namespace

const TZeosDriver& PostgresDriver() {
    static const TZeosDriver d{&Open, &CreateDB, &DropDB};
    return d;
}

}  // namespace dbtwin

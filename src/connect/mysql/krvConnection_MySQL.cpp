#include "connect/mysql/krvConnection_MySQL.h"

#include <mysql.h>
#include <mysqld_error.h>
#include <errmsg.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <vector>

#include "core/krvQuote.h"

namespace dbtwin {

namespace {

// The character set of the connection: the MySQL options' one, else utf8mb4 (the library's
// text is UTF-8).
std::string CharSetOf(TKRVCustomConnection& aConnection) {
    const std::string& cs = aConnection.GetMySQLServerOptions().GetCharSet();
    return cs.empty() ? std::string("utf8mb4") : cs;
}

// True when the error means the connection is gone.
bool IsLost(unsigned aErrno) {
    return aErrno == CR_SERVER_GONE_ERROR || aErrno == CR_SERVER_LOST || aErrno == ER_CONNECTION_KILLED ||
           aErrno == CR_SERVER_LOST_EXTENDED || aErrno == ER_SERVER_SHUTDOWN;
}

MYSQL* Connect(TKRVCustomConnection& aConnection, bool aWithDatabase) {
    const TConnectionOptions& o = aConnection.GetConnectionOptions();
    MYSQL* m = mysql_init(nullptr);
    if (!m) throw std::bad_alloc();
    // The client character set is set at connect, as SET NAMES does: literals and parameters
    // reach utf8mb4 columns as sent whatever the database's character set is.
    const std::string cs = CharSetOf(aConnection);
    mysql_optionsv(m, MYSQL_SET_CHARSET_NAME, cs.c_str());
    unsigned timeout = 30;
    mysql_optionsv(m, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    const std::string host = o.GetHostName();
    const std::string db = o.GetDatabaseName();
    if (db.find('\0') != std::string::npos) {
        mysql_close(m);
        throw EKrvError("Invalid database name.");
    }
    if (!mysql_real_connect(m, host.empty() ? nullptr : host.c_str(),
                            o.GetUserName().empty() ? nullptr : o.GetUserName().c_str(),
                            o.GetPassword().c_str(), aWithDatabase && !db.empty() ? db.c_str() : nullptr,
                            static_cast<unsigned>(o.GetPort()), nullptr, 0)) {
        std::string msg = mysql_error(m);
        mysql_close(m);
        throw EKrvError(msg.empty() ? std::string("Cannot connect to the MySQL server") : msg);
    }
    return m;
}

class TMySession;

// One column of a prepared statement's result and its buffer.
struct TColumn {
    enum Kind { kInt, kDouble, kFloat, kDecimal, kTime, kBytes } kind = kBytes;
    TKRVFieldType type = ftString;
    bool isUnsigned = false;
    std::int64_t i = 0;
    double d = 0;
    float f = 0;
    MYSQL_TIME t{};
    std::vector<char> buf;
    unsigned long length = 0;
    my_bool isNull = 0, error = 0;
};

class TMyStatement : public TZeosStatement {
public:
    TMyStatement(TMySession* aSession, MYSQL_STMT* aStmt) : fSession(aSession), fStmt(aStmt) {}
    ~TMyStatement() override;
    bool Fetch(TKRVFields& aFields) override;
    // Binds the result columns after execution.
    void BindResult();
    void Detach() noexcept {
        if (fStmt) mysql_stmt_close(fStmt);
        fStmt = nullptr;
        fSession = nullptr;
    }

private:
    TMySession* fSession;
    MYSQL_STMT* fStmt;
    std::vector<TColumn> fCols;
    std::vector<MYSQL_BIND> fBinds;
    std::vector<std::string> fNames;
};

class TMySession : public TZeosSession {
public:
    explicit TMySession(TKRVCustomConnection& aConnection) : fConn(Connect(aConnection, true)) {}
    ~TMySession() override { Close(); }

    bool Connected() const override { return fConn != nullptr; }
    std::unique_ptr<TZeosStatement> Execute(const std::string& aText, const TKRVParams& aParams) override;
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() override { return fConn && (Status() & SERVER_STATUS_IN_TRANS) != 0; }

    MYSQL* Conn() {
        if (!fConn) throw EKrvError("Not connected to a database.");
        return fConn;
    }
    unsigned Status() {
        unsigned st = 0;
        mariadb_get_infov(fConn, MARIADB_CONNECTION_SERVER_STATUS, &st);
        return st;
    }
    // Throws the message of a failed call; forgets a lost connection.
    [[noreturn]] void Fail(unsigned aErrno, const std::string& aMessage) {
        if (IsLost(aErrno)) Close();
        else NoteFailure();
        throw EKrvError(aMessage.empty() ? std::string("Unknown MySQL error") : aMessage);
    }
    [[noreturn]] void FailConn() { Fail(mysql_errno(fConn), mysql_error(fConn)); }
    [[noreturn]] void FailStmt(MYSQL_STMT* s) { Fail(mysql_stmt_errno(s), mysql_stmt_error(s)); }
    void Query(const std::string& aSQL) {
        if (mysql_real_query(Conn(), aSQL.data(), aSQL.size())) FailConn();
        if (MYSQL_RES* r = mysql_store_result(fConn)) mysql_free_result(r);
    }
    void Add(TMyStatement* s) { fStatements.push_back(s); }
    void Remove(TMyStatement* s) { fStatements.erase(std::remove(fStatements.begin(), fStatements.end(), s), fStatements.end()); }
    // A failed statement inside the transaction that ended it: the server rolled it back.
    void NoteFailure() {
        if (fStarted && fConn && !(Status() & SERVER_STATUS_IN_TRANS)) fRolledBack = true;
    }

private:
    void Close() noexcept {
        for (TMyStatement* s : fStatements) s->Detach();
        fStatements.clear();
        if (fConn) mysql_close(fConn);
        fConn = nullptr;
    }

    MYSQL* fConn;
    std::vector<TMyStatement*> fStatements;
    bool fStarted = false;     // StartTransaction ran and no Commit or Rollback since
    bool fRolledBack = false;  // the server ended that transaction after an error
};

std::unique_ptr<TZeosStatement> TMySession::Execute(const std::string& aText, const TKRVParams& aParams) {
    MYSQL* c = Conn();
    MYSQL_STMT* s = mysql_stmt_init(c);
    if (!s) FailConn();
    auto stmt = std::make_unique<TMyStatement>(this, s);
    Add(stmt.get());
    if (mysql_stmt_prepare(s, aText.data(), aText.size())) {
        const unsigned err = mysql_stmt_errno(s);
        if (err == ER_UNSUPPORTED_PS && aParams.Count() == 0) {
            // A statement the server cannot prepare: sent as text, its result read whole.
            stmt.reset();
            if (mysql_real_query(c, aText.data(), aText.size())) FailConn();
            if (MYSQL_RES* r = mysql_store_result(c)) mysql_free_result(r);
            return nullptr;
        }
        const std::string msg = mysql_stmt_error(s);
        stmt.reset();
        Fail(err, msg);
    }
    const unsigned long n = mysql_stmt_param_count(s);
    if (n != aParams.Count())
        throw EKrvError("The statement has " + std::to_string(n) + " parameters, " + std::to_string(aParams.Count()) +
                        " given.");
    // Parameters, bound by the client library; buffers live until the execution is done.
    std::vector<MYSQL_BIND> binds(n);
    std::vector<std::string> texts(n);
    std::vector<long long> ints(n);
    std::vector<double> doubles(n);
    std::vector<MYSQL_TIME> times(n);
    std::vector<unsigned long> lengths(n);
    for (unsigned long i = 0; i < n; ++i) {
        const TKRVParam& p = aParams.BoundValue(i);
        MYSQL_BIND& b = binds[i];
        std::memset(&b, 0, sizeof b);
        if (p.IsNull()) {
            b.buffer_type = MYSQL_TYPE_NULL;
            continue;
        }
        switch (p.GetDataType()) {
        case ftInteger:
            ints[i] = p.AsInteger();
            b.buffer_type = MYSQL_TYPE_LONGLONG;
            b.buffer = &ints[i];
            break;
        case ftBoolean:
            ints[i] = p.AsBoolean() ? 1 : 0;
            b.buffer_type = MYSQL_TYPE_LONGLONG;
            b.buffer = &ints[i];
            break;
        case ftFloat:
            doubles[i] = p.AsFloat();
            b.buffer_type = MYSQL_TYPE_DOUBLE;
            b.buffer = &doubles[i];
            break;
        case ftDate:
        case ftTime:
        case ftDateTime: {
            const TKRVDateTime dt = p.AsDateTime();
            MYSQL_TIME& t = times[i];
            std::memset(&t, 0, sizeof t);
            t.year = static_cast<unsigned>(dt.Year);
            t.month = static_cast<unsigned>(dt.Month);
            t.day = static_cast<unsigned>(dt.Day);
            t.hour = static_cast<unsigned>(dt.Hour);
            t.minute = static_cast<unsigned>(dt.Minute);
            t.second = static_cast<unsigned>(dt.Second);
            t.second_part = static_cast<unsigned long>(dt.Microsecond);
            t.time_type = p.GetDataType() == ftDate   ? MYSQL_TIMESTAMP_DATE
                          : p.GetDataType() == ftTime ? MYSQL_TIMESTAMP_TIME
                                                      : MYSQL_TIMESTAMP_DATETIME;
            b.buffer_type = p.GetDataType() == ftDate   ? MYSQL_TYPE_DATE
                            : p.GetDataType() == ftTime ? MYSQL_TYPE_TIME
                                                        : MYSQL_TYPE_DATETIME;
            b.buffer = &t;
            break;
        }
        default:
            texts[i] = p.GetDataType() == ftBCD || p.GetDataType() == ftUnknown ? p.AsString() : p.AsBlob();
            lengths[i] = texts[i].size();
            b.buffer_type = p.GetDataType() == ftBlob  ? MYSQL_TYPE_LONG_BLOB
                            : p.GetDataType() == ftBCD ? MYSQL_TYPE_NEWDECIMAL
                                                       : MYSQL_TYPE_STRING;
            b.buffer = texts[i].data();
            b.buffer_length = lengths[i];
            b.length = &lengths[i];
            break;
        }
    }
    if (n && mysql_stmt_bind_param(s, binds.data())) FailStmt(s);
    const unsigned fields = mysql_stmt_field_count(s);
    if (fields > 0) {
        // A read-only cursor: the server keeps the result, the client fetches batches, and
        // other statements can run on the connection meanwhile.
        unsigned long type = CURSOR_TYPE_READ_ONLY;
        mysql_stmt_attr_set(s, STMT_ATTR_CURSOR_TYPE, &type);
        unsigned long prefetch = 1000;
        mysql_stmt_attr_set(s, STMT_ATTR_PREFETCH_ROWS, &prefetch);
    }
    if (mysql_stmt_execute(s)) FailStmt(s);
    if (mysql_stmt_field_count(s) == 0) return nullptr;
    stmt->BindResult();
    // A result the server could not keep in a cursor (SHOW, CALL, ...) is read whole now so
    // that it does not block the connection.
    if (!(s->upsert_status.server_status & SERVER_STATUS_CURSOR_EXISTS) && mysql_stmt_store_result(s)) FailStmt(s);
    return stmt;
}

void TMySession::StartTransaction() {
    if (InTransaction()) throw EKrvError("A transaction is already active.");
    Query("START TRANSACTION");
    fStarted = true;
    fRolledBack = false;
}

void TMySession::Commit() {
    const bool started = fStarted, rolledBack = fRolledBack;
    if (!InTransaction()) {
        fStarted = fRolledBack = false;
        if (rolledBack)
            throw EKrvError("COMMIT failed: the server rolled the transaction back after an error.");
        // A statement that commits implicitly (DDL) ended the transaction: its work is
        // committed.
        if (started) return;
        throw EKrvError("No active transaction to commit.");
    }
    if (mysql_commit(Conn())) FailConn();
    fStarted = fRolledBack = false;
}

void TMySession::Rollback() {
    const bool started = fStarted, rolledBack = fRolledBack;
    if (!InTransaction()) {
        fStarted = fRolledBack = false;
        if (rolledBack) return;
        if (started)
            throw EKrvError("ROLLBACK failed: a statement that commits implicitly (such as DDL) already "
                            "committed the transaction.");
        throw EKrvError("No active transaction to roll back.");
    }
    if (mysql_rollback(Conn())) FailConn();
    fStarted = fRolledBack = false;
}

TMyStatement::~TMyStatement() {
    if (fSession) fSession->Remove(this);
    if (fStmt) mysql_stmt_close(fStmt);
}

void TMyStatement::BindResult() {
    MYSQL_RES* meta = mysql_stmt_result_metadata(fStmt);
    if (!meta) fSession->FailStmt(fStmt);
    const unsigned n = mysql_num_fields(meta);
    MYSQL_FIELD* fs = mysql_fetch_fields(meta);
    fCols.assign(n, {});
    fBinds.assign(n, {});
    fNames.clear();
    for (unsigned i = 0; i < n; ++i) {
        const MYSQL_FIELD& f = fs[i];
        fNames.emplace_back(f.name, f.name_length);
        TColumn& c = fCols[i];
        MYSQL_BIND& b = fBinds[i];
        std::memset(&b, 0, sizeof b);
        b.is_null = &c.isNull;
        b.error = &c.error;
        b.length = &c.length;
        c.isUnsigned = (f.flags & UNSIGNED_FLAG) != 0;
        switch (f.type) {
        case MYSQL_TYPE_TINY:
        case MYSQL_TYPE_SHORT:
        case MYSQL_TYPE_INT24:
        case MYSQL_TYPE_LONG:
        case MYSQL_TYPE_LONGLONG:
        case MYSQL_TYPE_YEAR:
            c.kind = TColumn::kInt;
            c.type = ftInteger;
            b.buffer_type = MYSQL_TYPE_LONGLONG;
            b.buffer = &c.i;
            b.is_unsigned = c.isUnsigned;
            break;
        case MYSQL_TYPE_DOUBLE:
            c.kind = TColumn::kDouble;
            c.type = ftFloat;
            b.buffer_type = MYSQL_TYPE_DOUBLE;
            b.buffer = &c.d;
            break;
        case MYSQL_TYPE_FLOAT:
            c.kind = TColumn::kFloat;
            c.type = ftFloat;
            b.buffer_type = MYSQL_TYPE_FLOAT;
            b.buffer = &c.f;
            break;
        case MYSQL_TYPE_DATE:
        case MYSQL_TYPE_TIME:
        case MYSQL_TYPE_DATETIME:
        case MYSQL_TYPE_TIMESTAMP:
            c.kind = TColumn::kTime;
            c.type = f.type == MYSQL_TYPE_DATE ? ftDate : f.type == MYSQL_TYPE_TIME ? ftTime : ftDateTime;
            b.buffer_type = f.type;
            b.buffer = &c.t;
            break;
        case MYSQL_TYPE_DECIMAL:
        case MYSQL_TYPE_NEWDECIMAL:
            c.kind = TColumn::kDecimal;
            c.type = ftBCD;
            break;
        default:
            c.kind = TColumn::kBytes;
            // Character set 63 is binary.
            c.type = f.charsetnr == 63 ? ftBlob
                     : (f.type == MYSQL_TYPE_BLOB || f.type == MYSQL_TYPE_MEDIUM_BLOB ||
                        f.type == MYSQL_TYPE_LONG_BLOB || f.type == MYSQL_TYPE_TINY_BLOB)
                         ? ftMemo
                         : ftString;
            break;
        }
        if (c.kind == TColumn::kDecimal || c.kind == TColumn::kBytes) {
            c.buf.assign(256, 0);
            b.buffer_type = MYSQL_TYPE_STRING;
            b.buffer = c.buf.data();
            b.buffer_length = c.buf.size();
        }
    }
    mysql_free_result(meta);
    if (mysql_stmt_bind_result(fStmt, fBinds.data())) fSession->FailStmt(fStmt);
}

bool TMyStatement::Fetch(TKRVFields& aFields) {
    if (!fStmt || !fSession) throw EKrvError("The connection of this result was closed.");
    const int rc = mysql_stmt_fetch(fStmt);
    if (rc == MYSQL_NO_DATA) return false;
    if (rc == 1) fSession->FailStmt(fStmt);
    if (aFields.Count() != fCols.size()) {
        aFields.Clear();
        for (const auto& name : fNames) aFields.Add(name);
    }
    for (std::size_t i = 0; i < fCols.size(); ++i) {
        TColumn& c = fCols[i];
        TKRVField& f = aFields[i];
        if (c.isNull) {
            f.Clear(c.type);
            continue;
        }
        switch (c.kind) {
        case TColumn::kInt:
            if (c.isUnsigned && c.i < 0)
                f.SetBCD(std::to_string(static_cast<std::uint64_t>(c.i)));
            else
                f.SetInteger(c.i);
            break;
        case TColumn::kDouble: f.SetFloat(c.d); break;
        case TColumn::kFloat: {
            // The shortest text of the float, read as a double: 0.1 stays 0.1.
            char buf[32];
            auto r = std::to_chars(buf, buf + sizeof buf, c.f);
            double d = 0;
            std::from_chars(buf, r.ptr, d);
            f.SetFloat(d);
            break;
        }
        case TColumn::kTime: {
            TKRVDateTime dt;
            dt.Year = static_cast<std::int32_t>(c.t.year);
            dt.Month = static_cast<std::int32_t>(c.t.month);
            dt.Day = static_cast<std::int32_t>(c.t.day);
            dt.Hour = static_cast<std::int32_t>(c.t.hour) * (c.t.neg ? -1 : 1);
            dt.Minute = static_cast<std::int32_t>(c.t.minute);
            dt.Second = static_cast<std::int32_t>(c.t.second);
            dt.Microsecond = static_cast<std::int32_t>(c.t.second_part);
            f.SetDateTime(dt, c.type);
            break;
        }
        case TColumn::kDecimal:
        case TColumn::kBytes: {
            std::string v;
            if (c.length > c.buf.size()) {
                // Longer than the buffer: the whole value in a second call.
                v.assign(c.length, '\0');
                MYSQL_BIND b;
                std::memset(&b, 0, sizeof b);
                unsigned long len = 0;
                b.buffer_type = MYSQL_TYPE_STRING;
                b.buffer = v.data();
                b.buffer_length = c.length;
                b.length = &len;
                if (mysql_stmt_fetch_column(fStmt, &b, static_cast<unsigned>(i), 0)) fSession->FailStmt(fStmt);
                v.resize(len);
            } else {
                v.assign(c.buf.data(), c.length);
            }
            if (c.type == ftBCD) f.SetBCD(std::move(v));
            else if (c.type == ftBlob) f.SetBlob(std::move(v));
            else if (c.type == ftMemo) f.SetMemo(std::move(v));
            else f.SetString(std::move(v));
            break;
        }
        }
    }
    return true;
}

std::unique_ptr<TZeosSession> Open(TKRVCustomConnection& aConnection) {
    return std::make_unique<TMySession>(aConnection);
}

// Runs a statement on the server of the connection without selecting its database.
void ServerCommand(TKRVCustomConnection& aConnection, const std::string& aVerb) {
    const std::string name = aConnection.GetConnectionOptions().GetDatabaseName();
    if (name.empty()) throw EKrvError("No database name given.");
    if (name.find('\0') != std::string::npos) throw EKrvError("Invalid database name.");
    MYSQL* m = Connect(aConnection, false);
    std::string sql = aVerb + " " + MySQLQuoteIdent(name);
    if (aVerb == "CREATE DATABASE") {
        const std::string cs = CharSetOf(aConnection);
        if (cs.empty() || !std::all_of(cs.begin(), cs.end(), [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_'; })) {
            mysql_close(m);
            throw EKrvError("Invalid character set name.");
        }
        sql += " CHARACTER SET " + cs;
    }
    if (mysql_real_query(m, sql.data(), sql.size())) {
        std::string msg = mysql_error(m);
        mysql_close(m);
        throw EKrvError(msg);
    }
    mysql_close(m);
}

void CreateDB(TKRVCustomConnection& aConnection) { ServerCommand(aConnection, "CREATE DATABASE"); }
void DropDB(TKRVCustomConnection& aConnection) { ServerCommand(aConnection, "DROP DATABASE"); }

}  // namespace

const TZeosDriver& MySQLDriver() {
    static const TZeosDriver d{&Open, &CreateDB, &DropDB};
    return d;
}

}  // namespace dbtwin

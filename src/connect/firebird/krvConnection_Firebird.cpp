#include "connect/firebird/krvConnection_Firebird.h"

#include <ibase.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "core/krvStrUtils.h"

namespace dbtwin {

namespace {

// The server's message for a status vector, one line per part.
std::string StatusText(const ISC_STATUS* aStatus) {
    std::string r;
    const ISC_STATUS* p = aStatus;
    char buf[1024];
    while (fb_interpret(buf, sizeof buf, &p) > 0) {
        if (!r.empty()) r += CRLF;
        r += buf;
    }
    return r.empty() ? std::string("Unknown Firebird error") : r;
}

[[noreturn]] void Fail(const ISC_STATUS* aStatus) { throw EKrvError(StatusText(aStatus)); }

// True when the status says the attachment is gone (killed, server shut down, network lost).
bool ConnectionLost(const ISC_STATUS* aStatus) {
    for (const ISC_STATUS* p = aStatus; *p != isc_arg_end;) {
        const ISC_STATUS type = *p++;
        if (type == isc_arg_gds) {
            switch (*p) {
            case isc_shutdown:
            case isc_conn_lost:
            case isc_network_error:
            case isc_net_read_err:
            case isc_net_write_err:
            case isc_lost_db_connection:
            case isc_att_shutdown: return true;
            default: break;
            }
        }
        p += type == isc_arg_cstring ? 2 : 1;
    }
    return false;
}

// A parameter buffer (DPB, TPB) of tagged items with one-byte lengths.
class TParamBuffer {
public:
    explicit TParamBuffer(char aVersion) { fData.push_back(aVersion); }
    void Tag(char aTag) { fData.push_back(aTag); }
    void Text(char aTag, const std::string& aValue) {
        if (aValue.size() > 255) throw EKrvError("Connection parameter too long");
        fData.push_back(aTag);
        fData.push_back(static_cast<char>(aValue.size()));
        fData.append(aValue);
    }
    void Int(char aTag, std::int32_t aValue) {
        fData.push_back(aTag);
        fData.push_back(4);
        for (int i = 0; i < 4; ++i) fData.push_back(static_cast<char>((aValue >> (8 * i)) & 0xFF));
    }
    const char* Data() const { return fData.data(); }
    short Size() const { return static_cast<short>(fData.size()); }

private:
    std::string fData;
};

// The character set a connection talks in: its InterBase options' one, or UTF8 (the
// library's own text encoding) when none is set.
std::string ConnectCharSet(TKRVCustomConnection& aConnection) {
    const std::string& cs = aConnection.GetIBServerOptions().GetDBCharSet();
    return cs.empty() ? std::string("UTF8") : cs;
}

// User, password, role, character set and dialect of a connection; the file name is UTF-8.
TParamBuffer MakeDPB(TKRVCustomConnection& aConnection, const std::string& aCharSet) {
    TParamBuffer dpb(isc_dpb_version1);
    const TConnectionOptions& o = aConnection.GetConnectionOptions();
    if (!o.GetUserName().empty()) dpb.Text(isc_dpb_user_name, o.GetUserName());
    if (!o.GetPassword().empty()) dpb.Text(isc_dpb_password, o.GetPassword());
    if (!o.GetRoleName().empty()) dpb.Text(isc_dpb_sql_role_name, o.GetRoleName());
    dpb.Text(isc_dpb_lc_ctype, aCharSet);
    dpb.Int(isc_dpb_sql_dialect, aConnection.GetIBServerOptions().GetSQLDialect());
    dpb.Text(isc_dpb_utf8_filename, {});
    return dpb;
}

std::string DatabaseName(TKRVCustomConnection& aConnection) {
    std::string name = aConnection.GetDBConnectionString();
    if (name.empty()) throw EKrvError("No database name given.");
    if (name.find('\0') != std::string::npos) throw EKrvError("Invalid database name.");
    return name;
}

struct TSqldaFree {
    void operator()(XSQLDA* p) const { std::free(p); }
};
using TSqldaPtr = std::unique_ptr<XSQLDA, TSqldaFree>;

TSqldaPtr NewSqlda(short n) {
    if (n < 1) n = 1;
    auto* p = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(n)));
    if (!p) throw std::bad_alloc();
    p->version = SQLDA_VERSION1;
    p->sqln = n;
    return TSqldaPtr(p);
}

// A value of type T at d, which may be unaligned.
template <class T>
T Load(const char* d) {
    T x;
    std::memcpy(&x, d, sizeof x);
    return x;
}

// An exact numeric as decimal text: value × 10^scale.
std::string ScaledText(std::int64_t aValue, int aScale) {
    const bool neg = aValue < 0;
    std::uint64_t mag = neg ? 0 - static_cast<std::uint64_t>(aValue) : static_cast<std::uint64_t>(aValue);
    std::string digits = std::to_string(mag);
    if (aScale >= 0) {
        if (mag != 0) digits.append(static_cast<std::size_t>(aScale), '0');
    } else {
        const std::size_t frac = static_cast<std::size_t>(-aScale);
        if (digits.size() <= frac) digits.insert(0, frac + 1 - digits.size(), '0');
        digits.insert(digits.size() - frac, ".");
    }
    return neg ? "-" + digits : digits;
}

// A CHAR value. In UTF8 and UNICODE_FSS the server pads to the column's byte length (four or
// three bytes a character); the value is the column's number of characters.
std::string CharText(const char* aData, short aLen, short aSubType) {
    std::string s(aData, static_cast<std::size_t>(aLen));
    const int charSet = aSubType & 0xFF;
    const int bytesPerChar = charSet == 4 ? 4 : charSet == 3 ? 3 : 1;
    if (bytesPerChar == 1) return s;
    std::size_t chars = static_cast<std::size_t>(aLen) / static_cast<std::size_t>(bytesPerChar);
    std::size_t i = 0;
    for (; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;  // continuation byte
        if (chars == 0) break;
        --chars;
    }
    s.resize(i);
    return s;
}

TKRVDateTime FromTm(const std::tm& t) {
    TKRVDateTime d;
    d.Year = t.tm_year + 1900;
    d.Month = t.tm_mon + 1;
    d.Day = t.tm_mday;
    d.Hour = t.tm_hour;
    d.Minute = t.tm_min;
    d.Second = t.tm_sec;
    return d;
}

std::tm ToTm(const TKRVDateTime& d) {
    std::tm t{};
    t.tm_year = d.Year - 1900;
    t.tm_mon = d.Month - 1;
    t.tm_mday = d.Day;
    t.tm_hour = d.Hour;
    t.tm_min = d.Minute;
    t.tm_sec = d.Second;
    return t;
}

class TFBQuery;

// The attachment of one connection, its explicit transaction and the queries that use it.
class TFBDatabase : public TKRVDatabase {
public:
    using TKRVDatabase::TKRVDatabase;
    ~TFBDatabase() override {
        try {
            Detach();
        } catch (...) {
        }
    }

    bool GetConnected() override { return fDB != 0; }
    void SetConnected(bool aValue) override {
        if (aValue)
            Attach({});
        else
            Detach();
    }
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() override { return fTr != 0; }
    void ReConnect(const std::string& aCharSet) override {
        Detach();
        if (!aCharSet.empty() && GetConnection()) GetConnection()->GetIBServerOptions().SetDBCharSet(aCharSet);
        Attach(aCharSet);
    }

    void Attach(const std::string& aCharSet);
    void Detach();
    // Drops the attached database.
    void Drop();
    // A transaction of the default kind: read committed, waiting at most 30 s for locks.
    isc_tr_handle BeginTransaction();
    unsigned short Dialect() {
        return static_cast<unsigned short>(GetConnection() ? GetConnection()->GetIBServerOptions().GetSQLDialect() : 3);
    }

    void AddQuery(TFBQuery* q) { fQueries.push_back(q); }
    void RemoveQuery(TFBQuery* q) { fQueries.erase(std::remove(fQueries.begin(), fQueries.end(), q), fQueries.end()); }
    // Releases the open results of the queries, all of them or those in the explicit transaction.
    void CloseQueries(bool aExplicitOnly);

    // Forgets an attachment the server no longer has: its queries, transaction and handle.
    void Lost() noexcept;
    // Throws the server's message; a lost attachment is forgotten first, so the connection no
    // longer reports itself connected.
    [[noreturn]] void Fail(const ISC_STATUS* aStatus) {
        std::string msg = StatusText(aStatus);
        if (ConnectionLost(aStatus)) Lost();
        throw EKrvError(msg);
    }

    isc_db_handle fDB = 0;
    isc_tr_handle fTr = 0;

private:
    void ReadDatabaseInfo();
    std::vector<TFBQuery*> fQueries;
};

class TFBQuery : public TKRVDataSetQuery {
public:
    using TKRVDataSetQuery::TKRVDataSetQuery;
    ~TFBQuery() override {
        Release();
        if (fDb) fDb->RemoveQuery(this);
    }

    void SetDatabase(TKRVDatabase* aDatabase) override {
        if (fDb) fDb->RemoveQuery(this);
        TKRVDataSetQuery::SetDatabase(aDatabase);
        fDb = dynamic_cast<TFBDatabase*>(aDatabase);
        if (fDb) fDb->AddQuery(this);
    }
    bool UsesExplicitTransaction() const { return fStmt && !fOwnTr; }
    // Frees the statement and ends its own transaction, reporting nothing: for detaching and
    // destruction.
    void Release() noexcept {
        ISC_STATUS_ARRAY st;
        if (fBlob) isc_close_blob(st, &fBlob);
        fBlob = 0;
        if (fStmt) isc_dsql_free_statement(st, &fStmt, DSQL_drop);
        fStmt = 0;
        if (fOwnTr) {
            isc_commit_transaction(st, &fOwnTr);
            if (fOwnTr) isc_rollback_transaction(st, &fOwnTr);
        }
        fOwnTr = 0;
        fRowPending = false;
        fCursor = false;
        Close();
    }

protected:
    bool DoExecute(const std::string& aText, const TKRVParams& aParams) override;
    bool DoFetch(TKRVFields& aFields) override;
    void DoClose() override;
    void Notification(TComponent* aComponent, TOperation aOperation) override {
        TKRVDataSetQuery::Notification(aComponent, aOperation);
        if (aOperation == opRemove && aComponent == fDb) {
            fDb = nullptr;
            fStmt = 0;
            fOwnTr = 0;
        }
    }

private:
    [[noreturn]] void Fail(const ISC_STATUS* aStatus) {
        if (fDb) fDb->Fail(aStatus);
        dbtwin::Fail(aStatus);
    }
    isc_tr_handle* Tr() { return fOwnTr ? &fOwnTr : &fDb->fTr; }
    void EndOwnTransaction();
    void Bind(const TKRVParams& aParams);
    void ReadRow(TKRVFields& aFields);
    std::string ReadBlob(ISC_QUAD aId);

    TFBDatabase* fDb = nullptr;
    isc_stmt_handle fStmt = 0;
    isc_tr_handle fOwnTr = 0;
    isc_blob_handle fBlob = 0;
    TSqldaPtr fOut, fIn;
    std::vector<std::vector<char>> fOutBuf, fInBuf;
    std::vector<short> fOutInd, fInInd;
    bool fCursor = false;      // a result set to fetch from
    bool fRowPending = false;  // the one row of EXECUTE PROCEDURE, not yet read
};

void TFBDatabase::Attach(const std::string& aCharSet) {
    if (fDB) return;
    TKRVCustomConnection* c = GetConnection();
    if (!c) throw EKrvError("The database handle has no connection.");
    const std::string name = DatabaseName(*c);
    const std::string cs = aCharSet.empty() ? ConnectCharSet(*c) : aCharSet;
    TParamBuffer dpb = MakeDPB(*c, cs);
    ISC_STATUS_ARRAY st;
    isc_db_handle db = 0;
    if (isc_attach_database(st, 0, name.c_str(), &db, dpb.Size(), dpb.Data())) Fail(st);
    fDB = db;
    try {
        ReadDatabaseInfo();
    } catch (...) {
        isc_detach_database(st, &fDB);
        fDB = 0;
        throw;
    }
}

void TFBDatabase::ReadDatabaseInfo() {
    const char items[] = {isc_info_ods_version,    isc_info_ods_minor_version, isc_info_page_size,
                          isc_info_db_sql_dialect, isc_info_sweep_interval,    isc_info_forced_writes,
                          isc_info_db_read_only,   isc_info_num_buffers,       isc_info_firebird_version,
                          isc_info_implementation, isc_info_end};
    char buf[2048];
    ISC_STATUS_ARRAY st;
    if (isc_database_info(st, &fDB, sizeof items, items, sizeof buf, buf)) Fail(st);
    TIBDatabaseOptions info;
    const char* p = buf;
    const char* end = buf + sizeof buf;
    while (p + 3 <= end && *p != isc_info_end && *p != isc_info_truncated) {
        const char item = *p++;
        const int len = static_cast<int>(isc_vax_integer(p, 2));
        p += 2;
        if (len < 0 || p + len > end) break;
        const auto num = static_cast<std::int32_t>(isc_vax_integer(p, static_cast<short>(len)));
        switch (item) {
        case isc_info_ods_version: info.SetODSMajorVersion(num); break;
        case isc_info_ods_minor_version: info.SetODSMinorVersion(num); break;
        case isc_info_page_size: info.SetPageSize(num); break;
        case isc_info_db_sql_dialect: info.SetDBSQLDialect(num); break;
        case isc_info_sweep_interval: info.SetSweepInterval(num); break;
        case isc_info_forced_writes: info.SetForcedWrites(num); break;
        case isc_info_db_read_only: info.SetReadOnly(num); break;
        case isc_info_num_buffers: info.SetNumBuffers(num); break;
        case isc_info_firebird_version:
            // A count, then strings of one-byte length; the first is the server's.
            if (len >= 2) {
                const int l = static_cast<unsigned char>(p[1]);
                if (2 + l <= len) info.SetServerVersion(std::string(p + 2, static_cast<std::size_t>(l)));
            }
            break;
        case isc_info_implementation:
            if (len >= 3) {
                info.SetDBImplementationNo(static_cast<unsigned char>(p[1]));
                info.SetDBImplementationClass(static_cast<unsigned char>(p[2]));
            }
            break;
        default: break;
        }
        p += len;
    }
    GetConnection()->GetIBServerOptions().SetIBDatabaseOptions(info);
}

void TFBDatabase::CloseQueries(bool aExplicitOnly) {
    for (TFBQuery* q : std::vector<TFBQuery*>(fQueries))
        if (!aExplicitOnly || q->UsesExplicitTransaction()) q->Release();
}

void TFBDatabase::Detach() {
    if (!fDB) return;
    CloseQueries(false);
    ISC_STATUS_ARRAY st;
    // Work of an explicit transaction that was not committed is not kept.
    if (fTr) isc_rollback_transaction(st, &fTr);
    fTr = 0;
    const bool failed = isc_detach_database(st, &fDB) != 0;
    fDB = 0;
    if (failed) Fail(st);
}

void TFBDatabase::Lost() noexcept {
    CloseQueries(false);
    ISC_STATUS_ARRAY st;
    if (fTr) isc_rollback_transaction(st, &fTr);
    fTr = 0;
    if (fDB) isc_detach_database(st, &fDB);
    fDB = 0;
}

void TFBDatabase::Drop() {
    if (!fDB) throw EKrvError("Not connected to a database.");
    CloseQueries(false);
    ISC_STATUS_ARRAY st;
    if (fTr) isc_rollback_transaction(st, &fTr);
    fTr = 0;
    if (isc_drop_database(st, &fDB)) Fail(st);
    fDB = 0;
}

isc_tr_handle TFBDatabase::BeginTransaction() {
    if (!fDB) throw EKrvError("Not connected to a database.");
    TParamBuffer tpb(isc_tpb_version3);
    tpb.Tag(isc_tpb_write);
    tpb.Tag(isc_tpb_read_committed);
    tpb.Tag(isc_tpb_rec_version);
    tpb.Tag(isc_tpb_wait);
    tpb.Int(isc_tpb_lock_timeout, 30);
    ISC_STATUS_ARRAY st;
    isc_tr_handle tr = 0;
    if (isc_start_transaction(st, &tr, 1, &fDB, static_cast<unsigned short>(tpb.Size()), tpb.Data())) Fail(st);
    return tr;
}

void TFBDatabase::StartTransaction() {
    if (fTr) throw EKrvError("A transaction is already active.");
    fTr = BeginTransaction();
}

void TFBDatabase::Commit() {
    if (!fTr) throw EKrvError("No active transaction to commit.");
    CloseQueries(true);
    ISC_STATUS_ARRAY st;
    if (isc_commit_transaction(st, &fTr)) Fail(st);
    fTr = 0;
}

void TFBDatabase::Rollback() {
    if (!fTr) throw EKrvError("No active transaction to roll back.");
    CloseQueries(true);
    ISC_STATUS_ARRAY st;
    if (isc_rollback_transaction(st, &fTr)) Fail(st);
    fTr = 0;
}

void TFBQuery::EndOwnTransaction() {
    if (!fOwnTr) return;
    ISC_STATUS_ARRAY st;
    if (isc_commit_transaction(st, &fOwnTr)) {
        ISC_STATUS_ARRAY rb;
        isc_rollback_transaction(rb, &fOwnTr);
        fOwnTr = 0;
        Fail(st);
    }
    fOwnTr = 0;
}

bool TFBQuery::DoExecute(const std::string& aText, const TKRVParams& aParams) {
    if (!fDb || !fDb->fDB) throw EKrvError("Not connected to a database.");
    if (aText.find('\0') != std::string::npos) throw EKrvError("The statement text holds a NUL character.");
    Release();
    ISC_STATUS_ARRAY st;
    if (!fDb->fTr) fOwnTr = fDb->BeginTransaction();
    try {
        if (isc_dsql_allocate_statement(st, &fDb->fDB, &fStmt)) Fail(st);
        fOut = NewSqlda(16);
        if (isc_dsql_prepare(st, Tr(), &fStmt, 0, aText.c_str(), fDb->Dialect(), fOut.get())) Fail(st);
        if (fOut->sqld > fOut->sqln) {
            fOut = NewSqlda(fOut->sqld);
            if (isc_dsql_describe(st, &fStmt, 1, fOut.get())) Fail(st);
        }
        const char typeItem[] = {isc_info_sql_stmt_type};
        char typeBuf[16];
        if (isc_dsql_sql_info(st, &fStmt, sizeof typeItem, typeItem, sizeof typeBuf, typeBuf)) Fail(st);
        const long stmtType = typeBuf[0] == isc_info_sql_stmt_type
                                  ? isc_vax_integer(typeBuf + 3, static_cast<short>(isc_vax_integer(typeBuf + 1, 2)))
                                  : 0;
        if (stmtType == isc_info_sql_stmt_start_trans || stmtType == isc_info_sql_stmt_commit ||
            stmtType == isc_info_sql_stmt_rollback)
            throw EKrvError("Transactions are controlled with StartTransaction, Commit and Rollback.");
        // Output buffers; every column gets a NULL indicator.
        fOutBuf.assign(static_cast<std::size_t>(fOut->sqld), {});
        fOutInd.assign(static_cast<std::size_t>(fOut->sqld), 0);
        for (int i = 0; i < fOut->sqld; ++i) {
            XSQLVAR& v = fOut->sqlvar[i];
            const int base = v.sqltype & ~1;
            std::size_t size = static_cast<std::size_t>(v.sqllen) + (base == SQL_VARYING ? 2 : 0);
            fOutBuf[static_cast<std::size_t>(i)].assign(std::max<std::size_t>(size, 8), 0);
            v.sqldata = fOutBuf[static_cast<std::size_t>(i)].data();
            v.sqltype = static_cast<short>(base | 1);
            v.sqlind = &fOutInd[static_cast<std::size_t>(i)];
        }
        fIn = NewSqlda(static_cast<short>(std::max<std::size_t>(aParams.Count(), 1)));
        if (isc_dsql_describe_bind(st, &fStmt, 1, fIn.get())) Fail(st);
        if (fIn->sqld > fIn->sqln) {
            fIn = NewSqlda(fIn->sqld);
            if (isc_dsql_describe_bind(st, &fStmt, 1, fIn.get())) Fail(st);
        }
        if (static_cast<std::size_t>(fIn->sqld) != aParams.Count())
            throw EKrvError("The statement has " + std::to_string(fIn->sqld) + " parameters, " +
                            std::to_string(aParams.Count()) + " given.");
        Bind(aParams);
        XSQLDA* in = fIn->sqld ? fIn.get() : nullptr;
        if (stmtType == isc_info_sql_stmt_select || stmtType == isc_info_sql_stmt_select_for_upd) {
            if (isc_dsql_execute(st, Tr(), &fStmt, 1, in)) Fail(st);
            fCursor = true;
            return true;
        }
        if (fOut->sqld > 0) {  // EXECUTE PROCEDURE with outputs, or RETURNING: one row
            if (isc_dsql_execute2(st, Tr(), &fStmt, 1, in, fOut.get())) Fail(st);
            fRowPending = true;
            EndOwnTransaction();
            return true;
        }
        if (isc_dsql_execute(st, Tr(), &fStmt, 1, in)) Fail(st);
        EndOwnTransaction();
        return false;
    } catch (...) {
        if (fStmt) isc_dsql_free_statement(st, &fStmt, DSQL_drop);
        fStmt = 0;
        if (fOwnTr) isc_rollback_transaction(st, &fOwnTr);
        fOwnTr = 0;
        throw;
    }
}

void TFBQuery::Bind(const TKRVParams& aParams) {
    const std::size_t n = static_cast<std::size_t>(fIn->sqld);
    fInBuf.assign(n, {});
    fInInd.assign(n, 0);
    ISC_STATUS_ARRAY st;
    for (std::size_t i = 0; i < n; ++i) {
        XSQLVAR& v = fIn->sqlvar[i];
        const TKRVParam& p = aParams.BoundValue(i);
        const int base = v.sqltype & ~1;
        std::vector<char>& buf = fInBuf[i];
        v.sqlind = &fInInd[i];
        if (p.IsNull()) {
            fInInd[i] = -1;
            buf.assign(static_cast<std::size_t>(std::max<int>(v.sqllen, 8)) + 2, 0);
            v.sqldata = buf.data();
            v.sqltype = static_cast<short>(base | 1);
            continue;
        }
        auto put = [&](int aType, const void* aData, std::size_t aSize, int aScale = 0) {
            buf.assign(static_cast<const char*>(aData), static_cast<const char*>(aData) + aSize);
            if (buf.empty()) buf.push_back(0);
            v.sqltype = static_cast<short>(aType | 1);
            v.sqllen = static_cast<short>(aSize);
            v.sqlscale = static_cast<short>(aScale);
            v.sqldata = buf.data();
        };
        if (base == SQL_BLOB) {
            const std::string& bytes = p.AsBlob();
            ISC_QUAD id{};
            isc_blob_handle bh = 0;
            if (isc_create_blob2(st, &fDb->fDB, Tr(), &bh, &id, 0, nullptr)) Fail(st);
            for (std::size_t pos = 0; pos < bytes.size(); pos += 32768) {
                const auto len = static_cast<unsigned short>(std::min<std::size_t>(32768, bytes.size() - pos));
                if (isc_put_segment(st, &bh, len, bytes.data() + pos)) {
                    ISC_STATUS_ARRAY cl;
                    isc_cancel_blob(cl, &bh);
                    Fail(st);
                }
            }
            if (isc_close_blob(st, &bh)) Fail(st);
            buf.assign(reinterpret_cast<const char*>(&id), reinterpret_cast<const char*>(&id) + sizeof id);
            v.sqltype = SQL_BLOB | 1;
            v.sqldata = buf.data();
            continue;
        }
        if (base == SQL_BOOLEAN) {
            const FB_BOOLEAN b = p.AsBoolean() ? FB_TRUE : FB_FALSE;
            put(SQL_BOOLEAN, &b, sizeof b);
            continue;
        }
        switch (p.GetDataType()) {
        case ftInteger: {
            const ISC_INT64 x = p.AsInteger();
            put(SQL_INT64, &x, sizeof x);
            break;
        }
        case ftFloat: {
            const double x = p.AsFloat();
            put(SQL_DOUBLE, &x, sizeof x);
            break;
        }
        case ftBoolean: {
            const FB_BOOLEAN b = p.AsBoolean() ? FB_TRUE : FB_FALSE;
            put(SQL_BOOLEAN, &b, sizeof b);
            break;
        }
        case ftDate: {
            std::tm t = ToTm(p.AsDateTime());
            ISC_DATE d;
            isc_encode_sql_date(&t, &d);
            put(SQL_TYPE_DATE, &d, sizeof d);
            break;
        }
        case ftTime: {
            const TKRVDateTime dt = p.AsDateTime();
            std::tm t = ToTm(dt);
            ISC_TIME tm;
            isc_encode_sql_time(&t, &tm);
            tm += static_cast<ISC_TIME>(dt.Microsecond / 100);
            put(SQL_TYPE_TIME, &tm, sizeof tm);
            break;
        }
        case ftDateTime: {
            const TKRVDateTime dt = p.AsDateTime();
            std::tm t = ToTm(dt);
            ISC_TIMESTAMP ts;
            isc_encode_timestamp(&t, &ts);
            ts.timestamp_time += static_cast<ISC_TIME>(dt.Microsecond / 100);
            put(SQL_TIMESTAMP, &ts, sizeof ts);
            break;
        }
        default: {
            // Text goes as it is; the server converts it to the parameter's type. A text
            // parameter keeps its character set (OCTETS stays binary).
            const std::string& text = p.AsBlob();
            if (text.size() > 32767)
                throw EKrvError("Parameter " + std::to_string(i + 1) + " is longer than 32767 bytes.");
            const short subtype = (base == SQL_TEXT || base == SQL_VARYING) ? v.sqlsubtype : 0;
            put(SQL_TEXT, text.data(), text.size());
            v.sqlsubtype = subtype;
            break;
        }
        }
    }
}

std::string TFBQuery::ReadBlob(ISC_QUAD aId) {
    ISC_STATUS_ARRAY st;
    std::string r;
    if (isc_open_blob2(st, &fDb->fDB, Tr(), &fBlob, &aId, 0, nullptr)) Fail(st);
    char buf[32768];
    for (;;) {
        unsigned short len = 0;
        const ISC_STATUS rc = isc_get_segment(st, &fBlob, &len, sizeof buf, buf);
        if (rc == isc_segstr_eof) break;
        if (rc != 0 && rc != isc_segment) {
            ISC_STATUS_ARRAY cl;
            isc_close_blob(cl, &fBlob);
            fBlob = 0;
            Fail(st);
        }
        r.append(buf, len);
    }
    if (isc_close_blob(st, &fBlob)) {
        fBlob = 0;
        Fail(st);
    }
    fBlob = 0;
    return r;
}

void TFBQuery::ReadRow(TKRVFields& aFields) {
    const std::size_t n = static_cast<std::size_t>(fOut->sqld);
    if (aFields.Count() != n) {
        aFields.Clear();
        for (std::size_t i = 0; i < n; ++i) {
            const XSQLVAR& v = fOut->sqlvar[i];
            aFields.Add(std::string(v.aliasname, static_cast<std::size_t>(v.aliasname_length)));
        }
    }
    for (std::size_t i = 0; i < n; ++i) {
        const XSQLVAR& v = fOut->sqlvar[i];
        TKRVField& f = aFields[i];
        const int base = v.sqltype & ~1;
        const char* d = v.sqldata;
        if (fOutInd[i] == -1) {
            switch (base) {
            case SQL_TEXT:
            case SQL_VARYING: f.Clear(ftString); break;
            case SQL_SHORT:
            case SQL_LONG:
            case SQL_INT64: f.Clear(v.sqlscale < 0 ? ftBCD : ftInteger); break;
            case SQL_FLOAT:
            case SQL_DOUBLE:
            case SQL_D_FLOAT: f.Clear(ftFloat); break;
            case SQL_TIMESTAMP: f.Clear(ftDateTime); break;
            case SQL_TYPE_DATE: f.Clear(ftDate); break;
            case SQL_TYPE_TIME: f.Clear(ftTime); break;
            case SQL_BLOB: f.Clear(v.sqlsubtype == 1 ? ftMemo : ftBlob); break;
            case SQL_BOOLEAN: f.Clear(ftBoolean); break;
            default: f.Clear(ftUnknown); break;
            }
            continue;
        }
        auto integer = [&](std::int64_t x) {
            if (v.sqlscale < 0)
                f.SetBCD(ScaledText(x, v.sqlscale));
            else
                f.SetInteger(x);
        };
        switch (base) {
        case SQL_TEXT: f.SetString(CharText(d, v.sqllen, v.sqlsubtype)); break;
        case SQL_VARYING: f.SetString(std::string(d + 2, static_cast<std::size_t>(Load<short>(d)))); break;
        case SQL_SHORT: integer(Load<short>(d)); break;
        case SQL_LONG: integer(Load<ISC_LONG>(d)); break;
        case SQL_INT64: integer(Load<ISC_INT64>(d)); break;
        case SQL_FLOAT: f.SetFloat(Load<float>(d)); break;
        case SQL_DOUBLE:
        case SQL_D_FLOAT: f.SetFloat(Load<double>(d)); break;
        case SQL_TIMESTAMP: {
            const auto ts = Load<ISC_TIMESTAMP>(d);
            std::tm t{};
            isc_decode_timestamp(&ts, &t);
            TKRVDateTime dt = FromTm(t);
            dt.Microsecond = static_cast<std::int32_t>(ts.timestamp_time % 10000) * 100;
            f.SetDateTime(dt, ftDateTime);
            break;
        }
        case SQL_TYPE_DATE: {
            const auto x = Load<ISC_DATE>(d);
            std::tm t{};
            isc_decode_sql_date(&x, &t);
            f.SetDateTime(FromTm(t), ftDate);
            break;
        }
        case SQL_TYPE_TIME: {
            const auto x = Load<ISC_TIME>(d);
            std::tm t{};
            isc_decode_sql_time(&x, &t);
            TKRVDateTime dt = FromTm(t);
            dt.Year = dt.Month = dt.Day = 0;
            dt.Microsecond = static_cast<std::int32_t>(x % 10000) * 100;
            f.SetDateTime(dt, ftTime);
            break;
        }
        case SQL_BLOB: {
            std::string bytes = ReadBlob(Load<ISC_QUAD>(d));
            if (v.sqlsubtype == 1)
                f.SetMemo(std::move(bytes));
            else
                f.SetBlob(std::move(bytes));
            break;
        }
        case SQL_BOOLEAN: f.SetBoolean(*reinterpret_cast<const FB_BOOLEAN*>(d) != FB_FALSE); break;
        case SQL_NULL: f.Clear(ftUnknown); break;
        default:
            throw EKrvError("Column " + f.GetFieldName() + " has a type that cannot be read (" +
                            std::to_string(base) + ").");
        }
    }
}

bool TFBQuery::DoFetch(TKRVFields& aFields) {
    if (fRowPending) {
        fRowPending = false;
        ReadRow(aFields);
        return true;
    }
    if (!fCursor || !fStmt || !fDb) return false;
    ISC_STATUS_ARRAY st;
    const ISC_STATUS rc = isc_dsql_fetch(st, &fStmt, 1, fOut.get());
    if (rc == 100) {
        fCursor = false;
        return false;
    }
    if (rc) Fail(st);
    ReadRow(aFields);
    return true;
}

void TFBQuery::DoClose() {
    ISC_STATUS_ARRAY st;
    if (fStmt) isc_dsql_free_statement(st, &fStmt, DSQL_drop);
    fStmt = 0;
    fCursor = false;
    fRowPending = false;
    EndOwnTransaction();
}

// Attaches to the database of a connection without a handle, for dropping it.
isc_db_handle AttachFor(TKRVCustomConnection& aConnection) {
    const std::string name = DatabaseName(aConnection);
    TParamBuffer dpb = MakeDPB(aConnection, ConnectCharSet(aConnection));
    ISC_STATUS_ARRAY st;
    isc_db_handle db = 0;
    if (isc_attach_database(st, 0, name.c_str(), &db, dpb.Size(), dpb.Data())) Fail(st);
    return db;
}

}  // namespace

TKRVFirebirdConnection::TKRVFirebirdConnection(TComponent* AOwner) : TKRVAbstractConnection(AOwner) {
    fConnectionType = cnIBX;
    fDatabaseType = dbInterBase;
    fSupportedDatabases = {dbInterBase};
}

TKRVDatabase* TKRVFirebirdConnection::CreateDatabase(TComponent* AOwner) { return new TFBDatabase(AOwner); }

TKRVQuery* TKRVFirebirdConnection::CreateQuery(TComponent* AOwner) { return new TFBQuery(AOwner); }

bool TKRVFirebirdConnection::Create_Database(TKRVCustomConnection* aConnection) {
    if (!aConnection) return TKRVAbstractConnection::Create_Database(aConnection);
    try {
        const std::string name = DatabaseName(*aConnection);
        TIBServerOptions& ib = aConnection->GetIBServerOptions();
        TParamBuffer dpb = MakeDPB(*aConnection, ConnectCharSet(*aConnection));
        if (!ib.GetDBCharSet().empty()) dpb.Text(isc_dpb_set_db_charset, ib.GetDBCharSet());
        if (ib.GetIBDatabaseOptions().GetPageSize() > 0)
            dpb.Int(isc_dpb_page_size, ib.GetIBDatabaseOptions().GetPageSize());
        dpb.Int(isc_dpb_set_db_sql_dialect, ib.GetSQLDialect());
        ISC_STATUS_ARRAY st;
        isc_db_handle db = 0;
        if (isc_create_database(st, 0, name.c_str(), &db, dpb.Size(), dpb.Data(), 0)) Fail(st);
        if (isc_detach_database(st, &db)) Fail(st);
        aConnection->SetLastError({});
        return true;
    } catch (const std::exception& e) {
        aConnection->SetLastError(e.what());
        aConnection->DoErrorMessage(e.what());
        return false;
    }
}

bool TKRVFirebirdConnection::Drop_Database(TKRVCustomConnection* aConnection) {
    if (!aConnection) return TKRVAbstractConnection::Drop_Database(aConnection);
    try {
        auto* conn = dynamic_cast<TKRVConnection*>(aConnection);
        auto* handle = conn ? dynamic_cast<TFBDatabase*>(conn->GetDatabase()) : nullptr;
        if (handle && handle->GetConnected()) {
            conn->DoBeforeDisconnect();
            handle->Drop();
            conn->DoAfterDisconnect();
        } else {
            isc_db_handle db = AttachFor(*aConnection);
            ISC_STATUS_ARRAY st;
            if (isc_drop_database(st, &db)) {
                std::string msg = StatusText(st);
                isc_detach_database(st, &db);
                throw EKrvError(msg);
            }
        }
        aConnection->SetLastError({});
        return true;
    } catch (const std::exception& e) {
        aConnection->SetLastError(e.what());
        aConnection->DoErrorMessage(e.what());
        return false;
    }
}

bool RegisterFirebirdConnection() {
    auto kind = std::make_unique<TKRVFirebirdConnection>();
    if (!RegisterConnection(FirebirdConnectionName, std::move(kind))) return false;
    return true;
}

}  // namespace dbtwin

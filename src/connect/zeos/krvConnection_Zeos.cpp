#include "connect/zeos/krvConnection_Zeos.h"

#include <algorithm>
#include <vector>

#include "connect/zeos/krvZeosDriver.h"
#ifdef DBTWIN_HAVE_POSTGRES
#include "connect/postgres/krvConnection_Postgres.h"
#endif
#ifdef DBTWIN_HAVE_MYSQL
#include "connect/mysql/krvConnection_MySQL.h"
#endif

namespace dbtwin {

std::string PGNumberMarkers(TKRVParams* aParams, const std::string& aSQL) {
    const std::string marked = ParamsParseSQL(aParams, aSQL, true, dbPostgreSQL);
    // The parsed text differs from the original only where a ":name" became "?": walk both
    // and number the places where they part.
    std::string out;
    out.reserve(marked.size() + 8);
    std::size_t i = 0, j = 0, k = 0;
    while (j < marked.size()) {
        if (i < aSQL.size() && aSQL[i] == marked[j]) {
            out += marked[j];
            ++i;
            ++j;
            continue;
        }
        // aSQL[i] is the colon of a marker, marked[j] its "?".
        const std::string name = aParams && k < aParams->Count() ? (*aParams)[k].GetName() : std::string();
        std::size_t len = 1 + name.size();
        if (i + 1 < aSQL.size() && (aSQL[i + 1] == '"' || aSQL[i + 1] == '\'' || aSQL[i + 1] == '`') &&
            aSQL.compare(i + 2, name.size(), name) == 0 && i + 2 + name.size() < aSQL.size() &&
            aSQL[i + 2 + name.size()] == aSQL[i + 1])
            len += 2;
        out += "$" + std::to_string(++k);
        i += len;
        ++j;
    }
    return out;
}

namespace {

const TZeosDriver* DriverOf(TDatabaseType aType) {
    switch (aType) {
    case dbPostgreSQL:
#ifdef DBTWIN_HAVE_POSTGRES
        return &PostgresDriver();
#else
        throw EKrvError("This dbtwin was built without PostgreSQL support (libpq).");
#endif
    case dbMySQL:
#ifdef DBTWIN_HAVE_MYSQL
        return &MySQLDriver();
#else
        throw EKrvError("This dbtwin was built without MySQL/MariaDB support (libmariadb).");
#endif
    default: throw EKrvError("This connection kind serves PostgreSQL and MySQL/MariaDB databases only.");
    }
}

class TZeosQuery;

// The session of one connection and the queries that use it.
class TZeosDatabase : public TKRVDatabase {
public:
    using TKRVDatabase::TKRVDatabase;
    ~TZeosDatabase() override { Disconnect(); }

    bool GetConnected() override { return fSession && fSession->Connected(); }
    void SetConnected(bool aValue) override {
        if (!aValue) {
            Disconnect();
            return;
        }
        if (GetConnected()) return;
        fSession.reset();
        TKRVCustomConnection* c = GetConnection();
        if (!c) throw EKrvError("The database handle has no connection.");
        fSession = DriverOf(c->GetDatabaseType())->Open(*c);
    }
    void StartTransaction() override { Session().StartTransaction(); }
    void Commit() override {
        CloseQueries(true);
        Session().Commit();
    }
    void Rollback() override {
        CloseQueries(true);
        Session().Rollback();
    }
    bool InTransaction() override { return GetConnected() && fSession->InTransaction(); }
    void ReConnect(const std::string& aCharSet) override {
        Disconnect();
        TKRVCustomConnection* c = GetConnection();
        if (c && !aCharSet.empty() && c->GetDatabaseType() == dbMySQL) c->GetMySQLServerOptions().SetCharSet(aCharSet);
        SetConnected(true);
    }

    TZeosSession& Session() {
        if (!GetConnected()) throw EKrvError("Not connected to a database.");
        return *fSession;
    }
    void Disconnect() noexcept;
    void CloseQueries(bool aTransactionOnly) noexcept;
    void AddQuery(TZeosQuery* q) { fQueries.push_back(q); }
    void RemoveQuery(TZeosQuery* q) { fQueries.erase(std::remove(fQueries.begin(), fQueries.end(), q), fQueries.end()); }

private:
    std::unique_ptr<TZeosSession> fSession;
    std::vector<TZeosQuery*> fQueries;
};

class TZeosQuery : public TKRVDataSetQuery {
public:
    using TKRVDataSetQuery::TKRVDataSetQuery;
    ~TZeosQuery() override {
        Release();
        if (fDb) fDb->RemoveQuery(this);
    }

    void SetDatabase(TKRVDatabase* aDatabase) override {
        if (fDb) fDb->RemoveQuery(this);
        TKRVDataSetQuery::SetDatabase(aDatabase);
        fDb = dynamic_cast<TZeosDatabase*>(aDatabase);
        if (fDb) fDb->AddQuery(this);
    }
    bool EndsWithTransaction() const { return fStmt && fStmt->EndsWithTransaction(); }
    // Releases the open result without reporting anything (it goes with its session).
    void Release() noexcept {
        fStmt.reset();
        try {
            Close();
        } catch (...) {
        }
    }

protected:
    bool DoExecute(const std::string& aText, const TKRVParams& aParams) override {
        fStmt.reset();
        if (!fDb) throw EKrvError("Not connected to a database.");
        fStmt = fDb->Session().Execute(aText, aParams);
        return fStmt != nullptr;
    }
    bool DoFetch(TKRVFields& aFields) override {
        if (!fStmt) return false;
        if (fStmt->Fetch(aFields)) return true;
        fStmt.reset();
        return false;
    }
    void DoClose() override { fStmt.reset(); }
    std::string ParseMarkers(TKRVParams* aParams, const std::string& aSQL) override {
        const TDatabaseType t = GetConnection() ? GetConnection()->GetDatabaseType() : dbAbstract;
        if (t == dbPostgreSQL) return PGNumberMarkers(aParams, aSQL);
        return ParamsParseSQL(aParams, aSQL, true, t);
    }
    void Notification(TComponent* aComponent, TOperation aOperation) override {
        TKRVDataSetQuery::Notification(aComponent, aOperation);
        if (aOperation == opRemove && aComponent == fDb) {
            fStmt.reset();
            fDb = nullptr;
        }
    }

private:
    TZeosDatabase* fDb = nullptr;
    std::unique_ptr<TZeosStatement> fStmt;
};

void TZeosDatabase::CloseQueries(bool aTransactionOnly) noexcept {
    for (TZeosQuery* q : std::vector<TZeosQuery*>(fQueries))
        if (!aTransactionOnly || q->EndsWithTransaction()) q->Release();
}

void TZeosDatabase::Disconnect() noexcept {
    CloseQueries(false);
    fSession.reset();
}

template <class F>
bool Report(TKRVCustomConnection* aConnection, F&& f) {
    try {
        f();
        aConnection->SetLastError({});
        return true;
    } catch (const std::exception& e) {
        aConnection->SetLastError(e.what());
        aConnection->DoErrorMessage(e.what());
        return false;
    }
}

}  // namespace

TKRVZeosConnection::TKRVZeosConnection(TComponent* AOwner) : TKRVAbstractConnection(AOwner) {
    fConnectionType = cnZEOS;
    fDatabaseType = dbPostgreSQL;
#ifdef DBTWIN_HAVE_POSTGRES
    fSupportedDatabases.Include(dbPostgreSQL);
#endif
#ifdef DBTWIN_HAVE_MYSQL
    fSupportedDatabases.Include(dbMySQL);
#endif
}

TKRVDatabase* TKRVZeosConnection::CreateDatabase(TComponent* AOwner) { return new TZeosDatabase(AOwner); }

TKRVQuery* TKRVZeosConnection::CreateQuery(TComponent* AOwner) { return new TZeosQuery(AOwner); }

bool TKRVZeosConnection::Create_Database(TKRVCustomConnection* aConnection) {
    if (!aConnection) return TKRVAbstractConnection::Create_Database(aConnection);
    return Report(aConnection, [&] { DriverOf(aConnection->GetDatabaseType())->CreateDatabase(*aConnection); });
}

bool TKRVZeosConnection::Drop_Database(TKRVCustomConnection* aConnection) {
    if (!aConnection) return TKRVAbstractConnection::Drop_Database(aConnection);
    return Report(aConnection, [&] {
        const TZeosDriver* d = DriverOf(aConnection->GetDatabaseType());
        auto* conn = dynamic_cast<TKRVConnection*>(aConnection);
        if (conn && conn->GetDatabase() && conn->GetDatabase()->GetConnected()) {
            conn->DoBeforeDisconnect();
            conn->GetDatabase()->SetConnected(false);
            conn->DoAfterDisconnect();
        }
        d->DropDatabase(*aConnection);
    });
}

bool RegisterZeosConnection() {
    auto kind = std::make_unique<TKRVZeosConnection>();
    return RegisterConnection(ZeosConnectionName, std::move(kind));
}

}  // namespace dbtwin

// The contract between the cnZEOS connection kind and its drivers (PostgreSQL over libpq,
// MySQL/MariaDB over libmariadb): a session is one physical connection, a statement one open
// result read row by row.
#pragma once

#include <memory>
#include <string>

#include "connect/krvDBEngine.h"

namespace dbtwin {

class TZeosStatement {
public:
    virtual ~TZeosStatement() = default;
    // Reads the next row into the fields; false at the end of the result.
    virtual bool Fetch(TKRVFields& aFields) = 0;
    // True when the result lives only as long as the explicit transaction it was opened in.
    virtual bool EndsWithTransaction() const { return false; }
};

class TZeosSession {
public:
    virtual ~TZeosSession() = default;
    virtual bool Connected() const = 0;
    // Runs the statement with its parameters bound by the client library; the open result
    // when it yields rows, else null. Errors throw EKrvError with the server's message.
    virtual std::unique_ptr<TZeosStatement> Execute(const std::string& aText, const TKRVParams& aParams) = 0;
    virtual void StartTransaction() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    // Asked of the server.
    virtual bool InTransaction() = 0;
};

// What a driver offers the kind.
struct TZeosDriver {
    // Opens a session with the connection's options; throws EKrvError on failure.
    std::unique_ptr<TZeosSession> (*Open)(TKRVCustomConnection& aConnection);
    // Creates (or drops) the database named in the connection's options.
    void (*CreateDatabase)(TKRVCustomConnection& aConnection);
    void (*DropDatabase)(TKRVCustomConnection& aConnection);
};

// PostgreSQL numbers its markers: the text of ParamsParseSQL for PostgreSQL with each
// marker written as $1, $2, ... in text order. A "?" of the text that is no marker (an
// operator) stays as it is.
std::string PGNumberMarkers(TKRVParams* aParams, const std::string& aSQL);

}  // namespace dbtwin

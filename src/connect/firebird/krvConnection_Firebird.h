// The Firebird/InterBase connection kind over libfbclient: remote ("host/port:path") and
// embedded (a plain file path) databases, registered as cnIBX.
#pragma once

#include "connect/krvDBEngine.h"

namespace dbtwin {

// The kind's registry name.
inline constexpr const char* FirebirdConnectionName = "Firebird";

// Enters the Firebird kind into the connection registry; false when it is there already.
bool RegisterFirebirdConnection();

// The Firebird connection kind. Each TKRVConnection that selects it gets a database handle of
// its own that holds the attachment, the explicit transaction and the queries.
class TKRVFirebirdConnection : public TKRVAbstractConnection {
public:
    explicit TKRVFirebirdConnection(TComponent* AOwner = nullptr);

    TKRVDatabase* CreateDatabase(TComponent* AOwner) override;
    TKRVQuery* CreateQuery(TComponent* AOwner) override;
    // Creates the database named by the connection's options (page size and character set
    // from its InterBase options when set) and detaches from it again.
    bool Create_Database(TKRVCustomConnection* aConnection) override;
    // Drops the database named by the connection's options, attaching to it first when the
    // connection is closed.
    bool Drop_Database(TKRVCustomConnection* aConnection) override;
};

}  // namespace dbtwin

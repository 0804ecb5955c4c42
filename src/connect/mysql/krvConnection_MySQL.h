// The MySQL/MariaDB driver of the cnZEOS connection kind, over libmariadb.
#pragma once

#include "connect/zeos/krvZeosDriver.h"

namespace dbtwin {

const TZeosDriver& MySQLDriver();

}  // namespace dbtwin

#include "parse/krvIBParser.h"

#include "model/krvClasses.h"

namespace dbtwin {

TIBServerOptions* TIbParser::GetIBServerOptions() const { return Objs ? &Objs->fIBServerOptions : nullptr; }

const TSymSet IB4x_KeyWord_Set = IBKeyWordSet(st_InterBase_4x);
const TSymSet IB5x_KeyWord_Set = IBKeyWordSet(st_InterBase_5x);
const TSymSet IB6x_KeyWord_Set = IBKeyWordSet(st_InterBase_6x);
const TSymSet IB7x_KeyWord_Set = IBKeyWordSet(st_InterBase_7x);
const TSymSet IB75_KeyWord_Set = IBKeyWordSet(st_InterBase_75);
const TSymSet IB2020_KeyWord_Set = IBKeyWordSet(st_InterBase_2020);
const TSymSet FB1x_KeyWord_Set = IBKeyWordSet(st_FireBird_1x);
const TSymSet FB15_KeyWord_Set = IBKeyWordSet(st_FireBird_15);
const TSymSet FB20_KeyWord_Set = IBKeyWordSet(st_Firebird_20);
const TSymSet FB21_KeyWord_Set = IBKeyWordSet(st_Firebird_21);
const TSymSet FB25_KeyWord_Set = IBKeyWordSet(st_Firebird_25);
const TSymSet FB30_KeyWord_Set = IBKeyWordSet(st_Firebird_30);
const TSymSet Ya1x_KeyWord_Set = IBKeyWordSet(st_Yaffil_1x);
const TSymSet FB40_KeyWord_Set = IBKeyWordSet(st_Firebird_40);

}  // namespace dbtwin

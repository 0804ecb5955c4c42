,﻿create table x (a int default -12, b float default .5e+3) ^ ;
'𝄞' 1e400
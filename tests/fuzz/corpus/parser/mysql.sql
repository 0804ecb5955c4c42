!CREATE TABLE `t` (a VARCHAR(5) DEFAULT 'a\'b\n', b INT CHECK (b--1 > 0)) # comment )
;

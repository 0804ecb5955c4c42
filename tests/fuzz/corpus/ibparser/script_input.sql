
INPUT 'child.sql';
INPUT 'loop.sql';
INPUT 'missing.sql';
CREATE VIEW VC AS SELECT X FROM C1;

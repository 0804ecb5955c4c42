-- A MariaDB schema with the forms mariadb-dump writes: loaded with the client, dumped, and
-- the dump run by dbtwin exec into a fresh database must dump the same.
CREATE TABLE `Customer` (
  `Id` int unsigned NOT NULL AUTO_INCREMENT,
  name varchar(80) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin NOT NULL,
  code int(6) unsigned zerofill DEFAULT NULL,
  email varchar(120) DEFAULT NULL,
  changed timestamp NOT NULL DEFAULT current_timestamp() ON UPDATE current_timestamp(),
  name_len int GENERATED ALWAYS AS (char_length(name)) VIRTUAL,
  note text COMMENT 'it''s; a note',
  PRIMARY KEY (`Id`),
  UNIQUE KEY uq_email (email),
  FULLTEXT KEY ft_note (note),
  CONSTRAINT ck_code CHECK (code < 999999)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COMMENT='customers';
CREATE TABLE orders (
  id bigint NOT NULL AUTO_INCREMENT PRIMARY KEY,
  customer_id int unsigned,
  amount decimal(12,2) NOT NULL DEFAULT 0.00,
  KEY ix_cust (customer_id, amount DESC),
  CONSTRAINT fk_cust FOREIGN KEY (customer_id) REFERENCES `Customer` (`Id`) ON DELETE SET NULL
) ENGINE=InnoDB;
CREATE SEQUENCE seq_tickets START WITH 100 INCREMENT BY 5;
CREATE VIEW big_orders AS SELECT id, amount FROM orders WHERE amount > 100;
DELIMITER $$
CREATE PROCEDURE archive(IN days int)
BEGIN
  DELETE FROM orders WHERE amount < days; -- a comment; with a semicolon
  SELECT 'done;' AS msg;
END$$
CREATE FUNCTION twice(x int) RETURNS int DETERMINISTIC
RETURN x * 2$$
CREATE TRIGGER trg_orders BEFORE INSERT ON orders FOR EACH ROW
BEGIN
  IF NEW.amount < 0 THEN
    SET NEW.amount = 0;
  END IF;
END$$
DELIMITER ;
CREATE EVENT ev_cleanup ON SCHEDULE EVERY 1 DAY STARTS '2030-01-01 00:00:00' DISABLE DO DELETE FROM orders WHERE amount = 0;

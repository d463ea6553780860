/*
 * Version 7: an index of the part names by their characters, so that the
 * bill windows' part search ("the name contains what was typed") looks up
 * the parts that hold one character or one pair of characters of the text
 * instead of reading every name of the catalogue on every keystroke.
 *
 * TB_COMMODITY_GRAM holds, for every part, each distinct character of its
 * name and each distinct pair of neighbouring characters, kept by a trigger
 * on TB_COMMODITY; deleting a part takes its rows with it (the foreign key).
 * A character pair whose second character is a space, and a space on its
 * own, are left out: the server compares texts with trailing spaces ignored,
 * so "a " would be the same key as "a". The search never asks for those.
 *
 * Only definitions here: the parts already there are indexed by 008, because
 * a table made in a transaction cannot be written before it commits.
 */

SET SQL DIALECT 3;
SET AUTODDL OFF;

CREATE TABLE TB_COMMODITY_GRAM (
  GRAM          VARCHAR(2) NOT NULL,
  COMMODITY_ID  INTEGER NOT NULL,
  CONSTRAINT PK_COMMODITY_GRAM PRIMARY KEY (GRAM, COMMODITY_ID) USING INDEX PK_COMMODITY_GRAM,
  CONSTRAINT FK_COMMODITY_GRAM_COMMODITY FOREIGN KEY (COMMODITY_ID) REFERENCES TB_COMMODITY (ID)
    ON DELETE CASCADE ON UPDATE CASCADE USING INDEX FK_COMMODITY_GRAM_COMMODITY
);

/* The lots of a part that still hold stock, found without reading its empty ones. */
CREATE INDEX IX_STOCK_COMMODITY_COUNT ON TB_STOCK (COMMODITY_ID, STOCK_COUNT);

SET TERM ^ ;

/* The one place that says which rows a name gets; for a part that has none yet. A character
   or pair is written where it first occurs in the name, so each only once. */
CREATE PROCEDURE SP_COMMODITY_GRAMS (ID INTEGER, NAME VARCHAR(32))
AS
  DECLARE I INTEGER;
  DECLARE N INTEGER;
  DECLARE G VARCHAR(2);
BEGIN
  N = COALESCE(CHAR_LENGTH(NAME), 0);
  I = 1;
  WHILE (I <= N) DO
  BEGIN
    G = SUBSTRING(NAME FROM I FOR 1);
    IF (G <> ' ' AND POSITION(G IN NAME) = I) THEN
      INSERT INTO TB_COMMODITY_GRAM (GRAM, COMMODITY_ID) VALUES (:G, :ID);
    IF (I < N) THEN
    BEGIN
      G = SUBSTRING(NAME FROM I FOR 2);
      IF (SUBSTRING(NAME FROM I + 1 FOR 1) <> ' ' AND POSITION(G IN NAME) = I) THEN
        INSERT INTO TB_COMMODITY_GRAM (GRAM, COMMODITY_ID) VALUES (:G, :ID);
    END
    I = I + 1;
  END
END^

/* A new part, a renamed one, and (never done by the programs) a changed key. */
CREATE TRIGGER TB_COMMODITY_GRAM_AIU FOR TB_COMMODITY ACTIVE AFTER INSERT OR UPDATE POSITION 10 AS
BEGIN
  IF (INSERTING) THEN
    EXECUTE PROCEDURE SP_COMMODITY_GRAMS (NEW.ID, NEW.COMMODITY_NAME);
  ELSE IF (NEW.ID <> OLD.ID OR NEW.COMMODITY_NAME IS DISTINCT FROM OLD.COMMODITY_NAME) THEN
  BEGIN
    /* Whether the key's cascade has moved the old rows yet or not, none stays behind. */
    DELETE FROM TB_COMMODITY_GRAM T WHERE T.COMMODITY_ID = OLD.ID OR T.COMMODITY_ID = NEW.ID;
    EXECUTE PROCEDURE SP_COMMODITY_GRAMS (NEW.ID, NEW.COMMODITY_NAME);
  END
END^

SET TERM ; ^

CREATE OR ALTER VIEW V_SCHEMA (VERSION) AS SELECT CAST(7 AS INTEGER) FROM RDB$DATABASE;

COMMIT;

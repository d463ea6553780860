/*
 * Version 9: makes the dictionaries (units, standards, posts, departments) and
 * the parts and employees that use them fit the unique name indexes and the
 * foreign keys that 010 adds, without losing a part or an employee.
 *
 * - A unit, standard, post or department of 0 meant "none chosen"; it becomes
 *   NULL, and so does one that points at an entry no longer there.
 * - Entries whose names are the same once blanks around and letter case are
 *   ignored (the way the dictionary window compares them) are merged: the
 *   parts and employees move to the lowest ID of that name, the others go.
 * - The save procedures store "none" as NULL; their parameters and answer
 *   stay as they were (0 still means none), and a unit, standard, post or
 *   department deleted by another desk meanwhile is their refusal
 *   (SUCESS = 0), not an error. Any other writer that sends 0 still stores
 *   NULL: the tables' triggers see to it.
 *
 * Only data, procedures and triggers here: the indexes and keys come in 010,
 * because a key checked in the same transaction as these updates sees the
 * rows before them.
 */

SET SQL DIALECT 3;
SET AUTODDL OFF;

/* Parts and employees move from a repeated name to its lowest ID. */
UPDATE TB_COMMODITY C SET C.UNIT_ID =
    (SELECT MIN(S.ID) FROM TB_UNIT U JOIN TB_UNIT S ON UPPER(TRIM(S.UNIT_NAME)) = UPPER(TRIM(U.UNIT_NAME))
     WHERE U.ID = C.UNIT_ID)
WHERE EXISTS (SELECT 1 FROM TB_UNIT U JOIN TB_UNIT S ON UPPER(TRIM(S.UNIT_NAME)) = UPPER(TRIM(U.UNIT_NAME))
              WHERE U.ID = C.UNIT_ID AND S.ID < U.ID);

UPDATE TB_COMMODITY C SET C.STANDARD_ID =
    (SELECT MIN(S.ID) FROM TB_STANDARD U
     JOIN TB_STANDARD S ON UPPER(TRIM(S.STANDARD_NAME)) = UPPER(TRIM(U.STANDARD_NAME))
     WHERE U.ID = C.STANDARD_ID)
WHERE EXISTS (SELECT 1 FROM TB_STANDARD U
              JOIN TB_STANDARD S ON UPPER(TRIM(S.STANDARD_NAME)) = UPPER(TRIM(U.STANDARD_NAME))
              WHERE U.ID = C.STANDARD_ID AND S.ID < U.ID);

UPDATE TB_EMPLOYEE E SET E.POST_ID =
    (SELECT MIN(S.ID) FROM TB_POST U JOIN TB_POST S ON UPPER(TRIM(S.POST_NAME)) = UPPER(TRIM(U.POST_NAME))
     WHERE U.ID = E.POST_ID)
WHERE EXISTS (SELECT 1 FROM TB_POST U JOIN TB_POST S ON UPPER(TRIM(S.POST_NAME)) = UPPER(TRIM(U.POST_NAME))
              WHERE U.ID = E.POST_ID AND S.ID < U.ID);

UPDATE TB_EMPLOYEE E SET E.DEPARTMENT_ID =
    (SELECT MIN(S.ID) FROM TB_DEPARTMENT U
     JOIN TB_DEPARTMENT S ON UPPER(TRIM(S.DEPARTMENT_NAME)) = UPPER(TRIM(U.DEPARTMENT_NAME))
     WHERE U.ID = E.DEPARTMENT_ID)
WHERE EXISTS (SELECT 1 FROM TB_DEPARTMENT U
              JOIN TB_DEPARTMENT S ON UPPER(TRIM(S.DEPARTMENT_NAME)) = UPPER(TRIM(U.DEPARTMENT_NAME))
              WHERE U.ID = E.DEPARTMENT_ID AND S.ID < U.ID);

/* Then the repeats themselves go; no part or employee refers to them any more. */
DELETE FROM TB_UNIT U WHERE EXISTS (SELECT 1 FROM TB_UNIT S
    WHERE UPPER(TRIM(S.UNIT_NAME)) = UPPER(TRIM(U.UNIT_NAME)) AND S.ID < U.ID);
DELETE FROM TB_STANDARD U WHERE EXISTS (SELECT 1 FROM TB_STANDARD S
    WHERE UPPER(TRIM(S.STANDARD_NAME)) = UPPER(TRIM(U.STANDARD_NAME)) AND S.ID < U.ID);
DELETE FROM TB_POST U WHERE EXISTS (SELECT 1 FROM TB_POST S
    WHERE UPPER(TRIM(S.POST_NAME)) = UPPER(TRIM(U.POST_NAME)) AND S.ID < U.ID);
DELETE FROM TB_DEPARTMENT U WHERE EXISTS (SELECT 1 FROM TB_DEPARTMENT S
    WHERE UPPER(TRIM(S.DEPARTMENT_NAME)) = UPPER(TRIM(U.DEPARTMENT_NAME)) AND S.ID < U.ID);

/* None chosen (0), or an entry that is gone: NULL. */
UPDATE TB_COMMODITY C SET C.UNIT_ID = NULL
WHERE C.UNIT_ID IS NOT NULL
  AND NOT EXISTS (SELECT 1 FROM TB_UNIT U WHERE U.ID = C.UNIT_ID AND U.ID <> 0);
UPDATE TB_COMMODITY C SET C.STANDARD_ID = NULL
WHERE C.STANDARD_ID IS NOT NULL
  AND NOT EXISTS (SELECT 1 FROM TB_STANDARD S WHERE S.ID = C.STANDARD_ID AND S.ID <> 0);
UPDATE TB_EMPLOYEE E SET E.POST_ID = NULL
WHERE E.POST_ID IS NOT NULL
  AND NOT EXISTS (SELECT 1 FROM TB_POST P WHERE P.ID = E.POST_ID AND P.ID <> 0);
UPDATE TB_EMPLOYEE E SET E.DEPARTMENT_ID = NULL
WHERE E.DEPARTMENT_ID IS NOT NULL
  AND NOT EXISTS (SELECT 1 FROM TB_DEPARTMENT D WHERE D.ID = E.DEPARTMENT_ID AND D.ID <> 0);

SET TERM ^ ;

/* A writer that sends 0 for "no unit" or "no standard" still stores NULL. */
CREATE OR ALTER TRIGGER TB_COMMODITY_BI FOR TB_COMMODITY ACTIVE BEFORE INSERT OR UPDATE POSITION 0 AS
BEGIN
  IF (INSERTING AND (NEW.ID IS NULL OR NEW.ID = 0)) THEN NEW.ID = NEXT VALUE FOR GEN_COMMODITY_ID;
  IF (NEW.UNIT_ID = 0) THEN NEW.UNIT_ID = NULL;
  IF (NEW.STANDARD_ID = 0) THEN NEW.STANDARD_ID = NULL;
END^

/* The same for "no post" and "no department". */
CREATE OR ALTER TRIGGER TB_EMPLOYEE_BI FOR TB_EMPLOYEE ACTIVE BEFORE INSERT OR UPDATE POSITION 0 AS
BEGIN
  IF (INSERTING AND (NEW.ID IS NULL OR NEW.ID = 0)) THEN NEW.ID = NEXT VALUE FOR GEN_EMPLOYEE_ID;
  IF (INSERTING AND NEW.BIRTHDAY IS NULL) THEN NEW.BIRTHDAY = DATE '1900-01-01';
  IF (INSERTING AND NEW.ENTRY_DATE IS NULL) THEN NEW.ENTRY_DATE = DATE '1900-01-01';
  IF (NEW.POST_ID = 0) THEN NEW.POST_ID = NULL;
  IF (NEW.DEPARTMENT_ID = 0) THEN NEW.DEPARTMENT_ID = NULL;
END^

/* As version 4 has it, but "no post" / "no department" is stored as NULL, and a post or
   department another desk deleted since it was chosen is a refusal like a name in use. */
CREATE OR ALTER PROCEDURE SP_UD_EMPLOYEE (
  ID             INTEGER,
  EMPLOYEE_NAME  VARCHAR(16),
  PW             VARCHAR(32),
  SEX            INTEGER,
  BIRTHDAY       DATE,
  EDUCATION      INTEGER,
  ID_CODE        VARCHAR(18),
  STATUS         INTEGER,
  ENTRY_DATE     DATE,
  OFFICE_TYPE    INTEGER,
  POST_ID        INTEGER,
  DEPARTMENT_ID  INTEGER,
  MEMO           VARCHAR(128),
  PHONE          VARCHAR(32),
  ADDRESS        VARCHAR(64)
) RETURNS (SUCESS INTEGER)
AS
  DECLARE K INTEGER;
  DECLARE NAME VARCHAR(16);
  DECLARE OLD_NAME VARCHAR(16);
BEGIN
  SUCESS = 0;
  K = COALESCE(:ID, 0);
  NAME = TRIM(COALESCE(:EMPLOYEE_NAME, ''));
  IF (NAME <> '' AND NOT EXISTS (SELECT 1 FROM TB_EMPLOYEE E
                                 WHERE E.EMPLOYEE_NAME = :NAME AND E.ID <> :K)) THEN
  BEGIN
    IF (K = 0) THEN
    BEGIN
      INSERT INTO TB_EMPLOYEE (EMPLOYEE_NAME, PW, SEX, BIRTHDAY, EDUCATION, ID_CODE, STATUS,
                               ENTRY_DATE, OFFICE_TYPE, POST_ID, DEPARTMENT_ID, PHONE, ADDRESS, MEMO)
      VALUES (:NAME, COALESCE(:PW, 'e10adc3949ba59abbe56e057f20f883e'),
              COALESCE(:SEX, 0), COALESCE(:BIRTHDAY, DATE '1900-01-01'), COALESCE(:EDUCATION, 0),
              :ID_CODE, COALESCE(:STATUS, 0), COALESCE(:ENTRY_DATE, DATE '1900-01-01'),
              COALESCE(:OFFICE_TYPE, 0), NULLIF(:POST_ID, 0), NULLIF(:DEPARTMENT_ID, 0),
              :PHONE, :ADDRESS, :MEMO)
      RETURNING ID INTO :SUCESS;
      WHEN GDSCODE unique_key_violation, GDSCODE no_dup, GDSCODE foreign_key DO SUCESS = 0;
    END
    ELSE
    BEGIN
      OLD_NAME = NULL;
      SELECT E.EMPLOYEE_NAME FROM TB_EMPLOYEE E WHERE E.ID = :K INTO :OLD_NAME;
      IF (OLD_NAME IS NOT NULL AND (OLD_NAME <> '管理员' OR NAME = '管理员')) THEN
      BEGIN
        UPDATE TB_EMPLOYEE E SET
          E.EMPLOYEE_NAME = :NAME,
          E.SEX           = COALESCE(:SEX, 0),
          E.BIRTHDAY      = COALESCE(:BIRTHDAY, DATE '1900-01-01'),
          E.EDUCATION     = COALESCE(:EDUCATION, 0),
          E.ID_CODE       = :ID_CODE,
          E.STATUS        = COALESCE(:STATUS, 0),
          E.ENTRY_DATE    = COALESCE(:ENTRY_DATE, DATE '1900-01-01'),
          E.OFFICE_TYPE   = COALESCE(:OFFICE_TYPE, 0),
          E.POST_ID       = NULLIF(:POST_ID, 0),
          E.DEPARTMENT_ID = NULLIF(:DEPARTMENT_ID, 0),
          E.PHONE         = :PHONE,
          E.ADDRESS       = :ADDRESS,
          E.MEMO          = :MEMO
        WHERE E.ID = :K;
        SUCESS = K;
        WHEN GDSCODE unique_key_violation, GDSCODE no_dup, GDSCODE foreign_key DO SUCESS = 0;
      END
    END
  END
  SUSPEND;
END^

/* "No unit" / "no standard" is stored as NULL; one another desk deleted meanwhile is a
   refusal, as a part that is gone already was. */
CREATE OR ALTER PROCEDURE SP_UD_COMMODITY (
  ID              INTEGER,
  COMMODITY_NAME  VARCHAR(32),
  UNIT_ID         INTEGER,
  STANDARD_ID     INTEGER
) RETURNS (SUCESS INTEGER)
AS
  DECLARE K INTEGER;
BEGIN
  SUCESS = 0;
  K = COALESCE(:ID, 0);
  IF (K = 0) THEN
  BEGIN
    INSERT INTO TB_COMMODITY (COMMODITY_NAME, UNIT_ID, STANDARD_ID)
    VALUES (:COMMODITY_NAME, NULLIF(:UNIT_ID, 0), NULLIF(:STANDARD_ID, 0))
    RETURNING ID INTO :SUCESS;
    WHEN GDSCODE foreign_key DO SUCESS = 0;
  END
  ELSE
  BEGIN
    UPDATE TB_COMMODITY C SET
      C.COMMODITY_NAME = :COMMODITY_NAME,
      C.UNIT_ID        = NULLIF(:UNIT_ID, 0),
      C.STANDARD_ID    = NULLIF(:STANDARD_ID, 0)
    WHERE C.ID = :K;
    IF (ROW_COUNT > 0) THEN SUCESS = K;
    WHEN GDSCODE foreign_key DO SUCESS = 0;
  END
  SUSPEND;
END^

SET TERM ; ^

CREATE OR ALTER VIEW V_SCHEMA (VERSION) AS SELECT CAST(9 AS INTEGER) FROM RDB$DATABASE;

COMMIT;

/*
 * Version 4: two desks saving the same new employee name, or the same new
 * customer, at the same moment. The loser of the race meets the unique index
 * (no_dup), not a unique constraint (unique_key_violation), so the procedures
 * let the index's error through as a raw database error. Both are now the
 * procedure's own refusal (SUCESS = 0), and for a new customer the other
 * desk's row simply serves.
 */

SET SQL DIALECT 3;
SET AUTODDL OFF;
SET TERM ^ ;

/* An existing employee's password is never touched here: the program always
   sends the default password's digest. The administrator keeps his name and
   no one else can take a name already in use. */
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
              COALESCE(:OFFICE_TYPE, 0), COALESCE(:POST_ID, 0), COALESCE(:DEPARTMENT_ID, 0),
              :PHONE, :ADDRESS, :MEMO)
      RETURNING ID INTO :SUCESS;
      WHEN GDSCODE unique_key_violation, GDSCODE no_dup DO SUCESS = 0;
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
          E.POST_ID       = COALESCE(:POST_ID, 0),
          E.DEPARTMENT_ID = COALESCE(:DEPARTMENT_ID, 0),
          E.PHONE         = :PHONE,
          E.ADDRESS       = :ADDRESS,
          E.MEMO          = :MEMO
        WHERE E.ID = :K;
        SUCESS = K;
        WHEN GDSCODE unique_key_violation, GDSCODE no_dup DO SUCESS = 0;
      END
    END
  END
  SUSPEND;
END^

/* Keeps TB_CUSTOMER: a customer appears with his first order and goes with
   his last; FIRST_ID follows the lowest order ID. Only a new customer or a
   renamed / deleted order writes there, so saving orders of one customer at
   two desks never collides on his row. */
CREATE OR ALTER TRIGGER TB_REPAIR_CUSTOMER FOR TB_REPAIR ACTIVE AFTER INSERT OR UPDATE OR DELETE POSITION 0 AS
  DECLARE M INTEGER;
BEGIN
  IF (DELETING OR (UPDATING AND (NEW.CAR_OWNER <> OLD.CAR_OWNER OR NEW.PHONE <> OLD.PHONE
                                 OR NEW.ID <> OLD.ID))) THEN
  BEGIN
    IF (OLD.CAR_OWNER > '') THEN
    BEGIN
      M = NULL;
      SELECT MIN(R.ID) FROM TB_REPAIR R
      WHERE R.CAR_OWNER = OLD.CAR_OWNER AND R.PHONE = OLD.PHONE INTO :M;
      IF (M IS NULL) THEN
        DELETE FROM TB_CUSTOMER C WHERE C.CAR_OWNER = OLD.CAR_OWNER AND C.PHONE = OLD.PHONE;
      ELSE
        UPDATE TB_CUSTOMER C SET C.FIRST_ID = :M
        WHERE C.CAR_OWNER = OLD.CAR_OWNER AND C.PHONE = OLD.PHONE AND C.FIRST_ID <> :M;
    END
  END
  IF (INSERTING OR (UPDATING AND (NEW.CAR_OWNER <> OLD.CAR_OWNER OR NEW.PHONE <> OLD.PHONE
                                  OR NEW.ID <> OLD.ID))) THEN
  BEGIN
    IF (NEW.CAR_OWNER > '') THEN
    BEGIN
      M = NULL;
      SELECT C.FIRST_ID FROM TB_CUSTOMER C
      WHERE C.CAR_OWNER = NEW.CAR_OWNER AND C.PHONE = NEW.PHONE INTO :M;
      IF (M IS NULL) THEN
      BEGIN
        INSERT INTO TB_CUSTOMER (CAR_OWNER, PHONE, FIRST_ID) VALUES (NEW.CAR_OWNER, NEW.PHONE, NEW.ID);
        /* Another desk is adding the same new customer right now: his row will do. */
        WHEN GDSCODE unique_key_violation, GDSCODE no_dup, GDSCODE lock_conflict, GDSCODE deadlock DO M = NULL;
      END
      ELSE IF (NEW.ID < M) THEN
        UPDATE TB_CUSTOMER C SET C.FIRST_ID = NEW.ID
        WHERE C.CAR_OWNER = NEW.CAR_OWNER AND C.PHONE = NEW.PHONE;
    END
  END
END^

SET TERM ; ^

CREATE OR ALTER VIEW V_SCHEMA (VERSION) AS SELECT CAST(4 AS INTEGER) FROM RDB$DATABASE;

COMMIT;

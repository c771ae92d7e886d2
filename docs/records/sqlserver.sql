-- The schema the suite's programs write every saved result into, and the
-- principals of the hospital's server (SQL Server 2016 SP1 and later): the
-- columns, checks and rights of postgresql.sql, with the same names and
-- meanings. Run as a member of db_owner, in the database the results go to:
--   sqlcmd -S <server> -d <database> -E -b -i sqlserver.sql
-- (-b: the first error ends the run, and the transaction it is in is
-- rolled back: nothing is half done), then give the ward PCs and the
-- readers their sign-in with the blocks at the end. Run again, it puts
-- back the rights and checks; the rows already there stay. Run where the
-- previous version of this file made dbo.orvomed_record, it moves that
-- table into the schema with its rows and adds what is new.
--
-- The database believes no ward PC: their principals, the members of
-- orvomed_insert_only, may insert one row a statement and nothing else.
-- They read no one's data, change or remove nothing, and create nothing.
-- The server itself writes when a row arrived, under which login and from
-- which address, and refuses a row that no program of the suite makes.
--
--   orvomed_owner        a user WITHOUT LOGIN: owns the schema, and so the
--                        table and its trigger; no password of it exists
--   orvomed_insert_only  the ward PCs' role: INSERT, and nothing else
--   orvomed_reader       the readers' role (HIS, reports): SELECT, and
--                        the quality views
--   orvomed_ward_reading the ward PCs' reading role (the ward's list, a
--                        patient's course): SELECT on the view
--                        orvomed.recent_assessments and on orvomed.stays
--                        where IT defines it, nothing else, not the table;
--                        the view shows a login only the wards
--                        orvomed.ward_access grants it (made with one row:
--                        the shared login orvomed_ward_reader, every ward)
--
-- SQL Server grants INSERT on a whole table only (a column list takes
-- SELECT, UPDATE and REFERENCES alone): the trigger below writes the
-- server's columns over whatever a PC sends for them.
--
-- Text is nvarchar (UTF-16), so Chinese is kept whatever the database's
-- collation; a length counts characters, as PostgreSQL's does (every text
-- of the suite lies in the Basic Multilingual Plane). This file is ASCII
-- so that sqlcmd reads it the same under any code page.

SET XACT_ABORT ON;
BEGIN TRANSACTION;
GO

-- Every later batch begins so: once an error has rolled the transaction
-- back, nothing after it runs (SSMS goes on to the next batch; sqlcmd -b
-- stops by itself).
IF @@TRANCOUNT = 0 SET NOEXEC ON;
IF DATABASE_PRINCIPAL_ID(N'orvomed_owner') IS NULL
    CREATE USER orvomed_owner WITHOUT LOGIN;
-- A database role and a user cannot share a name, hence not
-- orvomed_writer, the SQL login's user below.
IF DATABASE_PRINCIPAL_ID(N'orvomed_insert_only') IS NULL
    CREATE ROLE orvomed_insert_only;
IF DATABASE_PRINCIPAL_ID(N'orvomed_reader') IS NULL
    CREATE ROLE orvomed_reader;
IF DATABASE_PRINCIPAL_ID(N'orvomed_ward_reading') IS NULL
    CREATE ROLE orvomed_ward_reading;

-- Taken away whatever was granted by hand before: no principal of the
-- database creates objects that another's query might run. A ward PC's
-- principal is denied them even should it be put in a role that has them.
-- (Its #temporary tables cannot be denied, nor do they matter: each lies in
-- its own session, where no other principal's query finds it.)
REVOKE CREATE TABLE, CREATE VIEW, CREATE PROCEDURE, CREATE FUNCTION, CREATE TYPE, CREATE SYNONYM,
       CREATE SCHEMA, ALTER ANY SCHEMA FROM public;
REVOKE ALTER, CONTROL ON SCHEMA::dbo FROM public;
REVOKE CONNECT FROM guest;
DENY CREATE TABLE, CREATE VIEW, CREATE PROCEDURE, CREATE FUNCTION, CREATE TYPE, CREATE SYNONYM,
     CREATE SCHEMA, ALTER ANY SCHEMA TO orvomed_insert_only, orvomed_ward_reading;

IF SCHEMA_ID(N'orvomed') IS NULL
    EXEC (N'CREATE SCHEMA orvomed AUTHORIZATION orvomed_owner');
ALTER AUTHORIZATION ON SCHEMA::orvomed TO orvomed_owner;
DENY ALTER, CONTROL, TAKE OWNERSHIP ON SCHEMA::orvomed TO orvomed_insert_only, orvomed_ward_reading;

-- The previous version's table, its indexes and constraints, into the
-- schema. The move drops the rights granted on it; they are given again
-- below.
IF OBJECT_ID(N'dbo.orvomed_record', N'U') IS NOT NULL
BEGIN
    IF OBJECT_ID(N'orvomed.orvomed_record', N'U') IS NOT NULL
        THROW 50000, N'dbo.orvomed_record and orvomed.orvomed_record both exist: move the rows of the first by hand', 1;
    EXEC (N'ALTER SCHEMA orvomed TRANSFER OBJECT::dbo.orvomed_record');
END
GO

IF @@TRANCOUNT = 0 SET NOEXEC ON;
IF OBJECT_ID(N'orvomed.orvomed_record', N'U') IS NULL
    CREATE TABLE orvomed.orvomed_record (
        record_id       char(36)          NOT NULL,  -- the record's UUID, made at Save; the local row has it too
        saved_at        datetimeoffset(0) NOT NULL,  -- the save time, to the second, with the PC's UTC offset
        tool_id         int               NOT NULL,  -- the tool's number (18: Braden)
        tool_title      nvarchar(200)     NOT NULL,
        program_version nvarchar(32)      NOT NULL,
        computer        nvarchar(64)      NOT NULL,  -- as the PC names itself
        windows_user    nvarchar(256)     NOT NULL,  -- as the PC names its user
        nurse_id        nvarchar(32)      NOT NULL,  -- empty when not given
        nurse_name      nvarchar(32)      NOT NULL,
        patient_id      nvarchar(32)      NOT NULL,  -- the hospital number; empty for a calculation that concerns no one
        patient_name    nvarchar(32)      NOT NULL,
        bed             nvarchar(32)      NOT NULL,
        ward            nvarchar(32)      NOT NULL,
        inputs          nvarchar(max)     NOT NULL,  -- one "label=value" line per input
        outputs         nvarchar(max)     NOT NULL,  -- one "label=value unit" line per output ("--" when it failed)
        headline_value  float             NULL,      -- the headline output's value (a scale's total); NULL when it failed or the tool writes a report
        verdict         nvarchar(max)     NOT NULL,
        [level]         smallint          NOT NULL,  -- 0 to 3 (bracketed: LEVEL may become a keyword)
        level_words     nvarchar(32)      NOT NULL,  -- the level in words, as the local record has it
        result_text     nvarchar(max)     NOT NULL,  -- the whole result as Copy puts it on the clipboard
        -- The server's own words, which no PC can give:
        received_at     datetimeoffset(3) NOT NULL   -- when the row arrived
            CONSTRAINT orvomed_record_received_at_default DEFAULT SYSDATETIMEOFFSET(),
        db_user         nvarchar(128)     NOT NULL   -- the login that inserted it (DOMAIN\user for Windows)
            CONSTRAINT orvomed_record_db_user_default DEFAULT ORIGINAL_LOGIN(),
        client_addr     nvarchar(48)      NULL       -- the address it came from
            CONSTRAINT orvomed_record_client_addr_default
            DEFAULT CONVERT(nvarchar(48), CONNECTIONPROPERTY('client_net_address')),
        -- Added by later versions, at the end:
        visit_id        nvarchar(32)      NOT NULL   -- the stay's number from the hospital system; empty when not given
            CONSTRAINT orvomed_record_visit_id_default DEFAULT N'',
        admitted_at     datetimeoffset(0) NULL,      -- the stay's admission from the hospital system
        assessed_at     datetimeoffset(0) NULL,      -- when the result was calculated (saved_at is when it was saved)
        due_at          datetimeoffset(0) NULL,      -- when it is due again; NULL where no interval applies
        -- Not the table's order: random UUIDs would split pages all over it.
        CONSTRAINT orvomed_record_pkey PRIMARY KEY NONCLUSTERED (record_id)
    );

-- A table of the previous version: rows that were there before keep the
-- upgrade's time as received_at (they arrived before it), an empty db_user
-- and no client_addr: the server did not note them then.
IF COL_LENGTH(N'orvomed.orvomed_record', N'received_at') IS NULL
    EXEC (N'ALTER TABLE orvomed.orvomed_record ADD received_at datetimeoffset(3) NOT NULL
              CONSTRAINT orvomed_record_received_at_default DEFAULT SYSDATETIMEOFFSET()');
IF COL_LENGTH(N'orvomed.orvomed_record', N'db_user') IS NULL
BEGIN
    EXEC (N'ALTER TABLE orvomed.orvomed_record ADD db_user nvarchar(128) NOT NULL
              CONSTRAINT orvomed_record_db_user_default DEFAULT N''''');
    EXEC (N'ALTER TABLE orvomed.orvomed_record DROP CONSTRAINT orvomed_record_db_user_default');
    EXEC (N'ALTER TABLE orvomed.orvomed_record ADD CONSTRAINT orvomed_record_db_user_default
              DEFAULT ORIGINAL_LOGIN() FOR db_user');
END
IF COL_LENGTH(N'orvomed.orvomed_record', N'client_addr') IS NULL
    EXEC (N'ALTER TABLE orvomed.orvomed_record ADD client_addr nvarchar(48) NULL
              CONSTRAINT orvomed_record_client_addr_default
              DEFAULT CONVERT(nvarchar(48), CONNECTIONPROPERTY(''client_net_address''))');
-- A table of the version before: first_value held the first output's
-- value, for some scales one item, not the total. It is renamed for what
-- it holds now, and emptied where it held another output than the
-- headline (NRS 2002, NEWS2, the medical bleeding form, MEWS, Waterlow;
-- the infusion and pump rates; the children's fluids, whose daily volume
-- would read as an hourly rate): their result_text keeps every value.
IF COL_LENGTH(N'orvomed.orvomed_record', N'first_value') IS NOT NULL
BEGIN
    EXEC sp_rename N'orvomed.orvomed_record.first_value', N'headline_value', N'COLUMN';
    EXEC (N'UPDATE orvomed.orvomed_record SET headline_value = NULL WHERE tool_id IN (13, 14, 16, 21, 23, 26, 31, 39)');
END
IF COL_LENGTH(N'orvomed.orvomed_record', N'visit_id') IS NULL
    EXEC (N'ALTER TABLE orvomed.orvomed_record ADD visit_id nvarchar(32) NOT NULL
              CONSTRAINT orvomed_record_visit_id_default DEFAULT N''''');
IF COL_LENGTH(N'orvomed.orvomed_record', N'admitted_at') IS NULL
    EXEC (N'ALTER TABLE orvomed.orvomed_record ADD admitted_at datetimeoffset(0) NULL');
IF COL_LENGTH(N'orvomed.orvomed_record', N'assessed_at') IS NULL
    EXEC (N'ALTER TABLE orvomed.orvomed_record ADD assessed_at datetimeoffset(0) NULL');
IF COL_LENGTH(N'orvomed.orvomed_record', N'due_at') IS NULL
    EXEC (N'ALTER TABLE orvomed.orvomed_record ADD due_at datetimeoffset(0) NULL');
-- Made by SCHEMA OWNER, as a table of the schema is: orvomed_owner.
ALTER AUTHORIZATION ON OBJECT::orvomed.orvomed_record TO SCHEMA OWNER;
GO

IF @@TRANCOUNT = 0 SET NOEXEC ON;
-- The rows in save order: a new row goes at the end of the table.
IF NOT EXISTS (SELECT 1 FROM sys.indexes
               WHERE object_id = OBJECT_ID(N'orvomed.orvomed_record') AND name = N'orvomed_record_time')
    CREATE CLUSTERED INDEX orvomed_record_time ON orvomed.orvomed_record (saved_at);
-- A ward's month, and one patient's history.
IF NOT EXISTS (SELECT 1 FROM sys.indexes
               WHERE object_id = OBJECT_ID(N'orvomed.orvomed_record') AND name = N'orvomed_record_ward_time')
    CREATE NONCLUSTERED INDEX orvomed_record_ward_time ON orvomed.orvomed_record (ward, saved_at);
IF NOT EXISTS (SELECT 1 FROM sys.indexes
               WHERE object_id = OBJECT_ID(N'orvomed.orvomed_record') AND name = N'orvomed_record_patient')
    CREATE NONCLUSTERED INDEX orvomed_record_patient ON orvomed.orvomed_record (patient_id, tool_id, saved_at);
-- The ward's list: each patient's latest of each scale from the index alone.
IF NOT EXISTS (SELECT 1 FROM sys.indexes
               WHERE object_id = OBJECT_ID(N'orvomed.orvomed_record') AND name = N'orvomed_record_ward_latest')
    CREATE NONCLUSTERED INDEX orvomed_record_ward_latest ON orvomed.orvomed_record (ward, saved_at)
        INCLUDE (patient_id, patient_name, tool_id, assessed_at);
-- The quality figures (the views at the end): a month's assessments by the
-- time they were made (the rows of older programs, which have none, by the
-- save time of the clustered index), a month's reassessments by the time
-- they fall due, a month's admissions by the admission the rows carry, and
-- a patient's assessments of a scale, each from the index alone. None is
-- filtered (as PostgreSQL's due and admission indexes are): a filtered
-- index wants QUOTED_IDENTIFIER ON, which sqlcmd sets only when given -I,
-- to be made and in every statement that writes the table after, the
-- trigger's own among them.
IF NOT EXISTS (SELECT 1 FROM sys.indexes
               WHERE object_id = OBJECT_ID(N'orvomed.orvomed_record') AND name = N'orvomed_record_assessed')
    CREATE NONCLUSTERED INDEX orvomed_record_assessed ON orvomed.orvomed_record (assessed_at)
        INCLUDE (ward, tool_id, patient_id, patient_name, [level]);
IF NOT EXISTS (SELECT 1 FROM sys.indexes
               WHERE object_id = OBJECT_ID(N'orvomed.orvomed_record') AND name = N'orvomed_record_due')
    CREATE NONCLUSTERED INDEX orvomed_record_due ON orvomed.orvomed_record (due_at)
        INCLUDE (ward, tool_id, patient_id, patient_name, assessed_at);
IF NOT EXISTS (SELECT 1 FROM sys.indexes
               WHERE object_id = OBJECT_ID(N'orvomed.orvomed_record') AND name = N'orvomed_record_admitted')
    CREATE NONCLUSTERED INDEX orvomed_record_admitted ON orvomed.orvomed_record (admitted_at)
        INCLUDE (ward, tool_id, patient_id, patient_name, assessed_at);
IF NOT EXISTS (SELECT 1 FROM sys.indexes
               WHERE object_id = OBJECT_ID(N'orvomed.orvomed_record') AND name = N'orvomed_record_patient_time')
    CREATE NONCLUSTERED INDEX orvomed_record_patient_time ON orvomed.orvomed_record (patient_id, tool_id)
        INCLUDE (patient_name, assessed_at, [level]);

-- What no program of the suite sends. A text's bound is well above the
-- longest the programs make (48 inputs of 128 characters, 16 outputs of
-- 256, a verdict of 512, the longest report as copied about 17,000), so
-- that only a forged or broken row meets one; DATALENGTH counts 2 bytes a
-- character and, unlike LEN, counts trailing spaces. saved_at is the PC's
-- clock: one running ahead by more than 5 minutes, the skew Kerberos
-- tolerates and a domain's PCs therefore keep, does not send a real save
-- time. The record id is compared by its code points, so that upper case
-- does not pass for the program's lower case under a case-insensitive
-- collation.
-- Added unchecked first (WITH NOCHECK), so that an upgrade keeps the rows
-- that were there before; each is then checked over them, and one they
-- break is named in a message and still holds for every new row. Once
-- those rows are mended, run the script again.
DECLARE @checks TABLE (name sysname, condition nvarchar(1000));
INSERT INTO @checks (name, condition) VALUES
    (N'orvomed_record_level_range',   N'[level] BETWEEN 0 AND 3'),
    (N'orvomed_record_id_form',       N'record_id COLLATE Latin1_General_BIN2 LIKE REPLICATE(''[0-9a-f]'', 8) + ''-''
        + REPLICATE(''[0-9a-f]'', 4) + ''-4'' + REPLICATE(''[0-9a-f]'', 3) + ''-[89ab]'' + REPLICATE(''[0-9a-f]'', 3)
        + ''-'' + REPLICATE(''[0-9a-f]'', 12)'),
    (N'orvomed_record_saved_in_time', N'saved_at <= DATEADD(minute, 5, received_at)'),
    (N'orvomed_record_inputs_length',      N'DATALENGTH(inputs) <= 2 * 8192'),
    (N'orvomed_record_outputs_length',     N'DATALENGTH(outputs) <= 2 * 8192'),
    (N'orvomed_record_verdict_length',     N'DATALENGTH(verdict) <= 2 * 1024'),
    (N'orvomed_record_result_text_length', N'DATALENGTH(result_text) <= 2 * 32768');
DECLARE @name sysname, @condition nvarchar(1000), @sql nvarchar(max), @broken bit;
DECLARE checks CURSOR LOCAL FAST_FORWARD FOR SELECT name, condition FROM @checks;
OPEN checks;
FETCH NEXT FROM checks INTO @name, @condition;
WHILE @@FETCH_STATUS = 0
BEGIN
    IF OBJECT_ID(N'orvomed.' + QUOTENAME(@name), N'C') IS NULL
    BEGIN
        SET @sql = N'ALTER TABLE orvomed.orvomed_record WITH NOCHECK ADD CONSTRAINT ' + QUOTENAME(@name)
                 + N' CHECK (' + @condition + N')';
        EXEC sp_executesql @sql;
    END
    IF EXISTS (SELECT 1 FROM sys.check_constraints
               WHERE object_id = OBJECT_ID(N'orvomed.' + QUOTENAME(@name)) AND is_not_trusted = 1)
    BEGIN
        -- Looked for first: a failed check would end the transaction.
        SET @sql = N'SET @broken = CASE WHEN EXISTS (SELECT 1 FROM orvomed.orvomed_record WHERE NOT ('
                 + @condition + N')) THEN 1 ELSE 0 END';
        EXEC sp_executesql @sql, N'@broken bit OUTPUT', @broken = @broken OUTPUT;
        IF @broken = 0
        BEGIN
            SET @sql = N'ALTER TABLE orvomed.orvomed_record WITH CHECK CHECK CONSTRAINT ' + QUOTENAME(@name);
            EXEC sp_executesql @sql;
        END
        ELSE
            PRINT N'Rows already in orvomed.orvomed_record break ' + @name + N': it holds for new rows only. '
                + N'They are: SELECT record_id, computer FROM orvomed.orvomed_record WHERE NOT (' + @condition + N');';
    END
    FETCH NEXT FROM checks INTO @name, @condition;
END
CLOSE checks;
DEALLOCATE checks;
GO

-- CREATE TRIGGER must begin its batch: this one stops it too, when an
-- error came before.
IF @@TRANCOUNT = 0 SET NOEXEC ON;
GO

-- A PC sends one row a statement: a statement that brings more (INSERT ...
-- SELECT, a list of VALUES, a bulk load, which without ALTER on the table
-- must fire its triggers) is a flood or a forgery. The server's columns
-- are written anew, whatever the statement gave them. The trigger is the
-- table's owner's: its own statements on the table need no right of the
-- inserting principal, and every name in it is schema-qualified, so that
-- nothing of that principal's choosing runs in it.
CREATE OR ALTER TRIGGER orvomed.orvomed_record_one_row ON orvomed.orvomed_record
AFTER INSERT
AS
BEGIN
    SET NOCOUNT ON;
    IF (SELECT COUNT(*) FROM inserted) > 1
        THROW 50000, N'orvomed.orvomed_record takes one row a statement', 1;
    UPDATE r
    SET received_at = SYSDATETIMEOFFSET(),
        db_user = ORIGINAL_LOGIN(),
        client_addr = CONVERT(nvarchar(48), CONNECTIONPROPERTY('client_net_address'))
    FROM orvomed.orvomed_record AS r
    JOIN inserted AS i ON i.record_id = r.record_id AND i.saved_at = r.saved_at;
END;
GO

IF @@TRANCOUNT = 0 SET NOEXEC ON;
-- A ward PC's principal inserts, and nothing else, even should it be put
-- in a role that may do more (db_datareader, say): DENY outweighs a grant.
REVOKE SELECT, INSERT, UPDATE, DELETE, REFERENCES ON OBJECT::orvomed.orvomed_record FROM public;
DENY SELECT, UPDATE, DELETE, REFERENCES, ALTER, CONTROL, TAKE OWNERSHIP, VIEW CHANGE TRACKING
    ON OBJECT::orvomed.orvomed_record TO orvomed_insert_only;
GRANT INSERT ON OBJECT::orvomed.orvomed_record TO orvomed_insert_only;
GRANT SELECT ON OBJECT::orvomed.orvomed_record TO orvomed_reader;
-- The ward PCs' reading role reads the view below and nothing of the
-- table: the view's owner is the table's, so the view reads it without
-- this role's rights (ownership chaining), and the DENY stops a direct
-- read even should the role be put in db_datareader.
DENY SELECT, INSERT, UPDATE, DELETE, REFERENCES, ALTER, CONTROL, TAKE OWNERSHIP, VIEW CHANGE TRACKING
    ON OBJECT::orvomed.orvomed_record TO orvomed_ward_reading;

-- Who may read which ward's assessments through the view: a row per login
-- (as ORIGINAL_LOGIN() names it, DOMAIN\user for Windows; or a Windows
-- group or database role, matched by IS_MEMBER) and ward (as the records
-- write it), '*' for every ward. Kept by the hospital, read by the view
-- alone. Made with one row, so that the shared SQL login of (d) below reads
-- every ward from the start; where the nurses sign in with Windows
-- authentication, delete it and grant each login or group its wards.
IF OBJECT_ID(N'orvomed.ward_access', N'U') IS NULL
BEGIN
    EXEC (N'CREATE TABLE orvomed.ward_access (
              login nvarchar(128) NOT NULL,
              ward  nvarchar(32)  NOT NULL,
              CONSTRAINT orvomed_ward_access_pkey PRIMARY KEY (login, ward))');
    EXEC (N'INSERT INTO orvomed.ward_access (login, ward) VALUES (N''orvomed_ward_reader'', N''*'')');
END
ALTER AUTHORIZATION ON OBJECT::orvomed.ward_access TO SCHEMA OWNER;
REVOKE SELECT, INSERT, UPDATE, DELETE, REFERENCES ON OBJECT::orvomed.ward_access FROM public;
DENY SELECT, INSERT, UPDATE, DELETE, REFERENCES, ALTER, CONTROL, TAKE OWNERSHIP
    ON OBJECT::orvomed.ward_access TO orvomed_insert_only, orvomed_ward_reading;
GO

-- CREATE VIEW must begin its batch.
IF @@TRANCOUNT = 0 SET NOEXEC ON;
GO

-- Every assessment of a patient of the last 30 days, of the wards the
-- login may read: what the ward's list and a patient's course read (the
-- same columns and rows as PostgreSQL's). band: the verdict's words
-- before its first full-width bracket, colon or comma (NCHAR 65288, 65306,
-- 65292, compared by code point so that a width-insensitive collation does
-- not take "(" for one), at most 16 characters, else empty. saved_at
-- bounds the rows as well: a result is calculated before it is saved.
-- SQL Server has no security barrier: a reading login's query could learn
-- from an error whether a value exists on a ward it may not read (see
-- the deployment note).
CREATE OR ALTER VIEW orvomed.recent_assessments AS
SELECT r.patient_id, r.patient_name, r.bed, r.ward, r.visit_id, r.admitted_at, r.nurse_id, r.nurse_name,
       r.tool_id, r.headline_value, r.[level],
       CAST(CASE WHEN LEN(b.words) BETWEEN 1 AND 16 THEN b.words ELSE N'' END AS nvarchar(16)) AS band,
       COALESCE(r.assessed_at, r.saved_at) AS assessed_at, r.due_at, r.saved_at
FROM orvomed.orvomed_record AS r
CROSS APPLY (SELECT RTRIM(LEFT(r.verdict,
    PATINDEX(N'%[' + NCHAR(65288) + NCHAR(65306) + NCHAR(65292) + N']%',
             (r.verdict + NCHAR(65288)) COLLATE Latin1_General_BIN2) - 1)) AS words) AS b
WHERE r.patient_id <> N''
  AND r.saved_at >= DATEADD(day, -30, SYSDATETIMEOFFSET())
  AND COALESCE(r.assessed_at, r.saved_at) >= DATEADD(day, -30, SYSDATETIMEOFFSET())
  AND EXISTS (SELECT 1 FROM orvomed.ward_access AS a
              WHERE (a.ward = r.ward OR a.ward = N'*')
                AND (a.login = ORIGINAL_LOGIN() OR IS_MEMBER(a.login) = 1));
GO

IF @@TRANCOUNT = 0 SET NOEXEC ON;
ALTER AUTHORIZATION ON OBJECT::orvomed.recent_assessments TO SCHEMA OWNER;
REVOKE SELECT ON OBJECT::orvomed.recent_assessments FROM public;
GRANT SELECT ON OBJECT::orvomed.recent_assessments TO orvomed_ward_reading;
-- The hospital's stays, where its IT has defined them (the deployment
-- note): run this script again once they are there, or grant it by hand.
IF OBJECT_ID(N'orvomed.stays') IS NOT NULL
    EXEC (N'GRANT SELECT ON OBJECT::orvomed.stays TO orvomed_ward_reading');
GO

-- CREATE VIEW must begin its batch.
IF @@TRANCOUNT = 0 SET NOEXEC ON;
GO

-- The nursing quality department's figures, per ward and month, with the
-- same names, columns, rows and meanings as PostgreSQL's (postgresql.sql
-- gives each indicator its Chinese name). SQL Server has no
-- session time zone: the hospital's is named once, here, as Windows names
-- it (sys.time_zone_info), and every view below takes its months from this
-- one. A month is the calendar month there, from 30 years back to the
-- current one.
CREATE OR ALTER VIEW orvomed.quality_months AS
SELECT b.month,
       CAST(CAST(b.month AS datetime2(0)) AT TIME ZONE z.zone AS datetimeoffset(0)) AS starts,
       CAST(CAST(DATEADD(month, 1, b.month) AS datetime2(0)) AT TIME ZONE z.zone AS datetimeoffset(0)) AS ends,
       z.zone AS time_zone
FROM (VALUES (CAST(N'China Standard Time' AS nvarchar(128)))) AS z (zone)
CROSS APPLY (SELECT DATEFROMPARTS(YEAR(l.today), MONTH(l.today), 1) AS first_day
             FROM (SELECT CAST(SYSDATETIMEOFFSET() AT TIME ZONE z.zone AS date) AS today) AS l) AS c
CROSS APPLY (SELECT DATEADD(month, -(h.d * 100 + t.d * 10 + u.d), c.first_day) AS month
             FROM (VALUES (0), (1), (2), (3)) AS h (d)
             CROSS JOIN (VALUES (0), (1), (2), (3), (4), (5), (6), (7), (8), (9)) AS t (d)
             CROSS JOIN (VALUES (0), (1), (2), (3), (4), (5), (6), (7), (8), (9)) AS u (d)
             WHERE h.d * 100 + t.d * 10 + u.d <= 12 * 30) AS b;
GO

IF @@TRANCOUNT = 0 SET NOEXEC ON;
GO

-- The families the national indicators report, with the suite's scales of
-- each: the sheets of the workbook. Their names are pressure injury,
-- falls, VTE, nutrition and early warning, in Chinese, written by code
-- point to keep this file ASCII.
CREATE OR ALTER VIEW orvomed.quality_families AS
SELECT t.tool_id, CAST(f.family AS nvarchar(16)) AS family
FROM (VALUES (1, NCHAR(21387) + NCHAR(21147) + NCHAR(24615) + NCHAR(25439) + NCHAR(20260)),
             (2, NCHAR(36300) + NCHAR(20498)), (3, N'VTE'), (4, NCHAR(33829) + NCHAR(20859)),
             (5, NCHAR(26089) + NCHAR(26399) + NCHAR(39044) + NCHAR(35686))) AS f (k, family)
JOIN (VALUES (18, 1), (37, 1), (39, 1), (19, 2), (34, 2), (24, 3), (22, 3), (36, 3), (21, 4),
             (23, 5), (31, 5), (35, 5)) AS t (tool_id, k) ON t.k = f.k;
GO

IF @@TRANCOUNT = 0 SET NOEXEC ON;
GO

-- Each assessment of a patient in the month it was made, with its scale's
-- family (NULL for a tool of none): what the counts below are made of. A
-- month's rows are found by their assessment time, and those of older
-- programs, which have none, by their save time (the clustered index).
CREATE OR ALTER VIEW orvomed.quality_assessed AS
SELECT m.month, r.ward, f.family, r.tool_id, r.patient_id, r.patient_name,
       CAST(CASE WHEN r.[level] >= 2 THEN 1 ELSE 0 END AS bit) AS high_risk
FROM orvomed.quality_months AS m
CROSS APPLY (SELECT a.ward, a.tool_id, a.patient_id, a.patient_name, a.[level]
             FROM orvomed.orvomed_record AS a
             WHERE a.assessed_at >= m.starts AND a.assessed_at < m.ends
             UNION ALL
             SELECT s.ward, s.tool_id, s.patient_id, s.patient_name, s.[level]
             FROM orvomed.orvomed_record AS s
             WHERE s.assessed_at IS NULL AND s.saved_at >= m.starts AND s.saved_at < m.ends) AS r
LEFT JOIN orvomed.quality_families AS f ON f.tool_id = r.tool_id
WHERE r.patient_id <> N'';
GO

IF @@TRANCOUNT = 0 SET NOEXEC ON;
GO

-- Assessments per scale and family (the nursing-sensitive quality
-- indicators of 2016 and the nursing quality control indicators of 2020:
-- the risk assessments behind the inpatient fall rate and the pressure
-- injury rate): of a month, the assessments, the patients (number and
-- name), the results of level 2 or 3 (for Caprini and Padua moderate or
-- high), the patients with one, and the share of high-risk patients =
-- high_risk_patients / patients; per ward and scale, per ward and family
-- (tool_id NULL: the family's scales together), and for the whole
-- hospital (ward NULL) per scale and per family (the report's total). A
-- patient counts once however many wards or scales of the family assessed
-- them (a patient moved on is assessed on two wards), which no sum of the
-- wards' rows can give; the reassessments add up as they are. Each
-- patient is a group of their own before they are counted, rather than a
-- COUNT(DISTINCT CASE ...), whose NULLs would warn every reader's
-- statement.
CREATE OR ALTER VIEW orvomed.quality_totals AS
SELECT p.month, p.ward, p.family, p.tool_id,
       SUM(p.results) AS assessments,
       COUNT_BIG(*) AS patients,
       SUM(p.high_results) AS high_risk_results,
       SUM(CAST(CASE WHEN p.high_results > 0 THEN 1 ELSE 0 END AS bigint)) AS high_risk_patients,
       CAST(SUM(CASE WHEN p.high_results > 0 THEN 1 ELSE 0 END) AS float) / COUNT_BIG(*) AS high_risk_share
FROM (SELECT a.month, a.ward, a.family, a.tool_id, a.patient_id, a.patient_name, COUNT_BIG(*) AS results,
             SUM(CAST(a.high_risk AS bigint)) AS high_results
      FROM (SELECT month, ward, family, tool_id, patient_id, patient_name, high_risk FROM orvomed.quality_assessed
            UNION ALL
            SELECT month, ward, family, CAST(NULL AS int), patient_id, patient_name, high_risk
            FROM orvomed.quality_assessed
            UNION ALL
            SELECT month, NULL, family, tool_id, patient_id, patient_name, high_risk FROM orvomed.quality_assessed
            UNION ALL
            SELECT month, NULL, family, NULL, patient_id, patient_name, high_risk FROM orvomed.quality_assessed) AS a
      WHERE a.family IS NOT NULL
      GROUP BY a.month, a.ward, a.family, a.tool_id, a.patient_id, a.patient_name) AS p
GROUP BY p.month, p.ward, p.family, p.tool_id;
GO

IF @@TRANCOUNT = 0 SET NOEXEC ON;
GO

-- The wards' rows of each scale, as the report tools of the first version
-- read them.
CREATE OR ALTER VIEW orvomed.quality_scales AS
SELECT month, ward, tool_id, assessments, patients, high_risk_results, high_risk_patients, high_risk_share
FROM orvomed.quality_totals
WHERE ward IS NOT NULL AND tool_id IS NOT NULL;
GO

IF @@TRANCOUNT = 0 SET NOEXEC ON;
GO

-- Without the hospital's stays, the admission each row carries (from the
-- hospital system's command line) stands for one. The rate of assessment
-- within 24 h of admission (the nursing quality control indicators of
-- 2020; for VTE the admission assessment of the 2022 VTE quality
-- indicators) = of a month's admissions, those whose patient has that
-- scale's assessment from the admission to 24 hours after it (braden_24h,
-- morse_24h, nrs2002_24h, vte_24h: Caprini or Padua), over the month's
-- admissions, which only the HIS knows (the workbook's HIS sheet). Per
-- month of the admission, on the ward that assessed (an admission assessed
-- on two wards counts on each) and once for the whole hospital (ward
-- NULL). An admission is its patient and time, compared as a time (the
-- same instant under another UTC offset is the same admission).
CREATE OR ALTER VIEW orvomed.quality_admitted AS
SELECT m.month, r.ward, r.patient_id, r.patient_name, r.admitted_at,
       CASE WHEN r.tool_id IN (22, 24) THEN 24 ELSE r.tool_id END AS scale
FROM orvomed.quality_months AS m
JOIN orvomed.orvomed_record AS r ON r.admitted_at >= m.starts AND r.admitted_at < m.ends
WHERE r.patient_id <> N'' AND r.tool_id IN (18, 19, 21, 22, 24)
  AND COALESCE(r.assessed_at, r.saved_at) >= r.admitted_at
  AND COALESCE(r.assessed_at, r.saved_at) <= DATEADD(hour, 24, r.admitted_at);
GO

IF @@TRANCOUNT = 0 SET NOEXEC ON;
GO

CREATE OR ALTER VIEW orvomed.quality_admissions AS
SELECT k.month, k.ward,
       SUM(CAST(CASE WHEN k.scale = 18 THEN 1 ELSE 0 END AS bigint)) AS braden_24h,
       SUM(CAST(CASE WHEN k.scale = 19 THEN 1 ELSE 0 END AS bigint)) AS morse_24h,
       SUM(CAST(CASE WHEN k.scale = 21 THEN 1 ELSE 0 END AS bigint)) AS nrs2002_24h,
       SUM(CAST(CASE WHEN k.scale = 24 THEN 1 ELSE 0 END AS bigint)) AS vte_24h
FROM (SELECT DISTINCT a.month, a.ward, a.scale, a.patient_id, a.patient_name, a.admitted_at
      FROM (SELECT month, ward, patient_id, patient_name, admitted_at, scale FROM orvomed.quality_admitted
            UNION ALL
            SELECT month, NULL, patient_id, patient_name, admitted_at, scale FROM orvomed.quality_admitted) AS a) AS k
GROUP BY k.month, k.ward;
GO

IF @@TRANCOUNT = 0 SET NOEXEC ON;
-- Reassessments on time (the same indicators' rate of reassessment on
-- time = on_time / due): an assessment with a due time is one reassessment
-- due in the month its due time falls in, once passed, on the ward and
-- scale of that assessment; on time when the same patient has a later
-- assessment of the scale, on any ward, at or before it. Where
-- orvomed.stays is defined, a due time at or after the end of the stay
-- the assessment was made in is not due. Made with that rule or without
-- it as the stays are there or not when this script runs: run it again
-- once IT defines them (or drops them).
DECLARE @stays_rule nvarchar(max) = CASE WHEN OBJECT_ID(N'orvomed.stays') IS NULL THEN N'' ELSE N'
        AND NOT EXISTS (SELECT 1 FROM orvomed.stays AS s
                        WHERE s.patient_id = r.patient_id AND s.patient_name = r.patient_name
                          AND s.admitted_at <= COALESCE(r.assessed_at, r.saved_at)
                          AND s.discharged_at >= COALESCE(r.assessed_at, r.saved_at)
                          AND s.discharged_at <= r.due_at)' END;
DECLARE @view nvarchar(max) = N'CREATE OR ALTER VIEW orvomed.quality_reassessments AS
SELECT g.month, g.ward, g.tool_id, g.due, g.on_time, CAST(g.on_time AS float) / NULLIF(g.due, 0) AS on_time_share
FROM (
SELECT d.month, d.ward, d.tool_id, COUNT_BIG(*) AS due, SUM(d.met) AS on_time
FROM (SELECT m.month, r.ward, r.tool_id,
             CAST(CASE WHEN EXISTS (SELECT 1 FROM orvomed.orvomed_record AS n
                                    WHERE n.patient_id = r.patient_id AND n.tool_id = r.tool_id
                                      AND n.patient_name = r.patient_name
                                      AND COALESCE(n.assessed_at, n.saved_at) > COALESCE(r.assessed_at, r.saved_at)
                                      AND COALESCE(n.assessed_at, n.saved_at) <= r.due_at)
                       THEN 1 ELSE 0 END AS bigint) AS met
      FROM orvomed.quality_months AS m
      JOIN orvomed.orvomed_record AS r ON r.due_at >= m.starts AND r.due_at < m.ends
      WHERE r.patient_id <> N'''' AND r.due_at <= SYSDATETIMEOFFSET()' + @stays_rule + N') AS d
GROUP BY d.month, d.ward, d.tool_id) AS g;';
EXEC sp_executesql @view;

-- From the hospital's stays, where IT defines them, per month and the
-- stay's ward: the rate of assessment within 24 h of admission =
-- braden_24h (morse_24h, nrs2002_24h, vte_24h) / admissions; the VTE risk
-- assessment rate (2022 VTE quality indicators) = vte_assessed_discharges
-- / discharges, vte_moderate_high_discharges the ones of those with a
-- moderate or high result; bed_days, the occupied bed-days of the month,
-- the denominator of the inpatient fall rate (per 1000 bed-days), a
-- midnight census (postgresql.sql says how each is counted). The
-- midnights are counted on the local clock of the months' time zone: the
-- dates between the first at or after the later of the admission and the
-- month's start and the earliest of the discharge, the month's end and
-- now, each moved on a day unless it lies at midnight itself.
IF OBJECT_ID(N'orvomed.stays') IS NULL AND OBJECT_ID(N'orvomed.quality_stays', N'V') IS NOT NULL
    EXEC (N'DROP VIEW orvomed.quality_stays');
IF OBJECT_ID(N'orvomed.stays') IS NOT NULL
BEGIN
    EXEC (N'CREATE OR ALTER VIEW orvomed.quality_stays AS
SELECT e.month, e.ward, SUM(e.admissions) AS admissions, SUM(e.discharges) AS discharges,
       SUM(e.bed_days) AS bed_days, SUM(e.braden_24h) AS braden_24h, SUM(e.morse_24h) AS morse_24h,
       SUM(e.nrs2002_24h) AS nrs2002_24h, SUM(e.vte_24h) AS vte_24h,
       SUM(e.vte_assessed) AS vte_assessed_discharges, SUM(e.vte_moderate_high) AS vte_moderate_high_discharges
FROM (SELECT m.month, CAST(s.ward AS nvarchar(32)) AS ward, CAST(1 AS bigint) AS admissions,
             CAST(0 AS bigint) AS discharges, CAST(0 AS bigint) AS bed_days,
             CAST(CASE WHEN EXISTS (SELECT 1 FROM orvomed.orvomed_record AS r
                                    WHERE r.patient_id = s.patient_id AND r.tool_id = 18 AND r.patient_name = s.patient_name
                                      AND COALESCE(r.assessed_at, r.saved_at) >= s.admitted_at
                                      AND COALESCE(r.assessed_at, r.saved_at) <= DATEADD(hour, 24, s.admitted_at))
                       THEN 1 ELSE 0 END AS bigint) AS braden_24h,
             CAST(CASE WHEN EXISTS (SELECT 1 FROM orvomed.orvomed_record AS r
                                    WHERE r.patient_id = s.patient_id AND r.tool_id = 19 AND r.patient_name = s.patient_name
                                      AND COALESCE(r.assessed_at, r.saved_at) >= s.admitted_at
                                      AND COALESCE(r.assessed_at, r.saved_at) <= DATEADD(hour, 24, s.admitted_at))
                       THEN 1 ELSE 0 END AS bigint) AS morse_24h,
             CAST(CASE WHEN EXISTS (SELECT 1 FROM orvomed.orvomed_record AS r
                                    WHERE r.patient_id = s.patient_id AND r.tool_id = 21 AND r.patient_name = s.patient_name
                                      AND COALESCE(r.assessed_at, r.saved_at) >= s.admitted_at
                                      AND COALESCE(r.assessed_at, r.saved_at) <= DATEADD(hour, 24, s.admitted_at))
                       THEN 1 ELSE 0 END AS bigint) AS nrs2002_24h,
             CAST(CASE WHEN EXISTS (SELECT 1 FROM orvomed.orvomed_record AS r
                                    WHERE r.patient_id = s.patient_id AND r.tool_id IN (24, 22) AND r.patient_name = s.patient_name
                                      AND COALESCE(r.assessed_at, r.saved_at) >= s.admitted_at
                                      AND COALESCE(r.assessed_at, r.saved_at) <= DATEADD(hour, 24, s.admitted_at))
                       THEN 1 ELSE 0 END AS bigint) AS vte_24h,
             CAST(0 AS bigint) AS vte_assessed, CAST(0 AS bigint) AS vte_moderate_high
      FROM orvomed.quality_months AS m
      JOIN orvomed.stays AS s ON s.admitted_at >= m.starts AND s.admitted_at < m.ends
      UNION ALL
      SELECT m.month, CAST(s.ward AS nvarchar(32)), 0, 1, 0, 0, 0, 0, 0,
             CASE WHEN EXISTS (SELECT 1 FROM orvomed.orvomed_record AS r
                               WHERE r.patient_id = s.patient_id AND r.tool_id IN (24, 22) AND r.patient_name = s.patient_name
                                 AND COALESCE(r.assessed_at, r.saved_at) >= s.admitted_at
                                 AND COALESCE(r.assessed_at, r.saved_at) <= s.discharged_at) THEN 1 ELSE 0 END,
             CASE WHEN EXISTS (SELECT 1 FROM orvomed.orvomed_record AS r
                               WHERE r.patient_id = s.patient_id AND r.tool_id IN (24, 22) AND r.patient_name = s.patient_name
                                 AND r.[level] >= 2
                                 AND COALESCE(r.assessed_at, r.saved_at) >= s.admitted_at
                                 AND COALESCE(r.assessed_at, r.saved_at) <= s.discharged_at) THEN 1 ELSE 0 END
      FROM orvomed.quality_months AS m
      JOIN orvomed.stays AS s ON s.discharged_at >= m.starts AND s.discharged_at < m.ends
      UNION ALL
      SELECT m.month, CAST(s.ward AS nvarchar(32)), 0, 0,
             CASE WHEN w.until > w.since
                  THEN DATEDIFF(day, w.since, w.until)
                       + CASE WHEN CAST(w.until AS time) > ''00:00'' THEN 1 ELSE 0 END
                       - CASE WHEN CAST(w.since AS time) > ''00:00'' THEN 1 ELSE 0 END
                  ELSE 0 END,
             0, 0, 0, 0, 0, 0
      FROM orvomed.quality_months AS m
      JOIN orvomed.stays AS s
        ON s.admitted_at < m.ends AND (s.discharged_at > m.starts OR s.discharged_at IS NULL)
      CROSS APPLY (SELECT CASE WHEN s.discharged_at IS NOT NULL AND s.discharged_at < m.ends
                               THEN s.discharged_at ELSE m.ends END AS until_utc) AS u
      CROSS APPLY (SELECT CAST((CASE WHEN s.admitted_at > m.starts THEN s.admitted_at ELSE m.starts END)
                               AT TIME ZONE m.time_zone AS datetime2(7)) AS since,
                          CAST((CASE WHEN u.until_utc < SYSDATETIMEOFFSET() THEN u.until_utc ELSE SYSDATETIMEOFFSET() END)
                               AT TIME ZONE m.time_zone AS datetime2(7)) AS until) AS w) AS e
GROUP BY e.month, e.ward
HAVING SUM(e.admissions) > 0 OR SUM(e.discharges) > 0 OR SUM(e.bed_days) > 0;');
    -- The views read the stays by ownership chaining: the stays must be
    -- the schema owner's, as the deployment note asks.
END

-- The readers' views: the HIS's and the reports' principals read them
-- through orvomed_reader; the ward PCs' do not, even should they be put in
-- a role that may. The rows the figures are made of (readable 0) name
-- patients: no role reads them, even put in db_datareader; the views above
-- do, by ownership chaining, which asks no right of their reader.
DECLARE @quality TABLE (name sysname, readable bit);
INSERT INTO @quality (name, readable) VALUES (N'quality_months', 1), (N'quality_families', 1),
    (N'quality_scales', 1), (N'quality_totals', 1), (N'quality_reassessments', 1), (N'quality_admissions', 1),
    (N'quality_stays', 1), (N'quality_assessed', 0), (N'quality_admitted', 0);
DECLARE @name sysname, @readable bit, @sql nvarchar(max);
DECLARE quality CURSOR LOCAL FAST_FORWARD FOR
    SELECT name, readable FROM @quality WHERE OBJECT_ID(N'orvomed.' + QUOTENAME(name), N'V') IS NOT NULL;
OPEN quality;
FETCH NEXT FROM quality INTO @name, @readable;
WHILE @@FETCH_STATUS = 0
BEGIN
    SET @sql = N'ALTER AUTHORIZATION ON OBJECT::orvomed.' + QUOTENAME(@name) + N' TO SCHEMA OWNER;
        REVOKE SELECT ON OBJECT::orvomed.' + QUOTENAME(@name) + N' FROM public;
        DENY SELECT ON OBJECT::orvomed.' + QUOTENAME(@name) + N' TO orvomed_insert_only, orvomed_ward_reading;'
        + CASE WHEN @readable = 1 THEN N'
        GRANT SELECT ON OBJECT::orvomed.' + QUOTENAME(@name) + N' TO orvomed_reader;' ELSE N'
        DENY SELECT ON OBJECT::orvomed.' + QUOTENAME(@name) + N' TO orvomed_reader;' END;
    EXEC sp_executesql @sql;
    FETCH NEXT FROM quality INTO @name, @readable;
END
CLOSE quality;
DEALLOCATE quality;
COMMIT;
GO
SET NOEXEC OFF;
GO

-- Then the sign-ins: delete the /* and */ around a block, put in the
-- hospital's names, and run it. Each principal gets the schema as its
-- default, as PostgreSQL's search_path: the previous release's programs
-- insert into orvomed_record unqualified. Connections from the PCs are
-- encrypted and verify the server's certificate (ODBC Driver 18 for SQL
-- Server, Encrypt=yes, never TrustServerCertificate=yes): the server needs
-- a certificate, from the hospital's CA, for the name the PCs use.
--
-- (a) Windows authentication, recommended: the ward PCs' connection string
-- holds no password. A program connects as the Windows user signed in at
-- the PC, not as the computer, so DOMAIN\WardPCs is a domain group holding
-- the Windows accounts nurses sign in to ward PCs with; db_user then names
-- the nurse's own account. Connection string:
--   Driver={ODBC Driver 18 for SQL Server};Server=<server>;Database=<database>;Trusted_Connection=yes;Encrypt=yes;
/*
IF NOT EXISTS (SELECT 1 FROM sys.server_principals WHERE name = N'DOMAIN\WardPCs')
    CREATE LOGIN [DOMAIN\WardPCs] FROM WINDOWS;
IF DATABASE_PRINCIPAL_ID(N'DOMAIN\WardPCs') IS NULL
    CREATE USER [DOMAIN\WardPCs] FOR LOGIN [DOMAIN\WardPCs] WITH DEFAULT_SCHEMA = orvomed;
ALTER USER [DOMAIN\WardPCs] WITH DEFAULT_SCHEMA = orvomed;
ALTER ROLE orvomed_insert_only ADD MEMBER [DOMAIN\WardPCs];
*/
--
-- (b) A SQL Server login (the server must accept SQL Server authentication):
-- the password stands in every ward PC's registry, which every user of the
-- PC can read, and in the Group Policy's files on SYSVOL, which every user
-- of the domain can: whoever reads it can insert rows that the server
-- stamps with this login, their address and the time, and nothing else.
-- Give it to this login alone. It never expires: an expired password would
-- hold every result back in the ward PCs' outboxes. Connection string:
--   Driver={ODBC Driver 18 for SQL Server};Server=<server>;Database=<database>;Uid=orvomed_writer;Pwd=<the password>;Encrypt=yes;
/*
IF NOT EXISTS (SELECT 1 FROM sys.server_principals WHERE name = N'orvomed_writer')
    CREATE LOGIN orvomed_writer WITH PASSWORD = N'<a long password of its own>',
        CHECK_POLICY = ON, CHECK_EXPIRATION = OFF;
IF DATABASE_PRINCIPAL_ID(N'orvomed_writer') IS NULL
    CREATE USER orvomed_writer FOR LOGIN orvomed_writer WITH DEFAULT_SCHEMA = orvomed;
ALTER USER orvomed_writer WITH DEFAULT_SCHEMA = orvomed;
ALTER ROLE orvomed_insert_only ADD MEMBER orvomed_writer;
*/
--
-- (c) A reader: the HIS's or the reports' login (DOMAIN\HisReports, a
-- Windows group or account, here), never a ward PC's.
/*
IF NOT EXISTS (SELECT 1 FROM sys.server_principals WHERE name = N'DOMAIN\HisReports')
    CREATE LOGIN [DOMAIN\HisReports] FROM WINDOWS;
IF DATABASE_PRINCIPAL_ID(N'DOMAIN\HisReports') IS NULL
    CREATE USER [DOMAIN\HisReports] FOR LOGIN [DOMAIN\HisReports] WITH DEFAULT_SCHEMA = orvomed;
ALTER ROLE orvomed_reader ADD MEMBER [DOMAIN\HisReports];
*/
--
-- (d) The ward PCs' reading login (the policy's ReadingDatabase), either
-- one SQL login that every ward PC shares, whose password anyone who can
-- read the policy reads, and with it every ward's list (ward_access's first
-- row), or the nurses' own Windows accounts, each granted its wards in
-- orvomed.ward_access (delete the row for orvomed_ward_reader then).
-- Connection string:
--   Driver={ODBC Driver 18 for SQL Server};Server=<server>;Database=<database>;Uid=orvomed_ward_reader;Pwd=<the password>;Encrypt=yes;
/*
IF NOT EXISTS (SELECT 1 FROM sys.server_principals WHERE name = N'orvomed_ward_reader')
    CREATE LOGIN orvomed_ward_reader WITH PASSWORD = N'<a long password of its own>',
        CHECK_POLICY = ON, CHECK_EXPIRATION = OFF;
IF DATABASE_PRINCIPAL_ID(N'orvomed_ward_reader') IS NULL
    CREATE USER orvomed_ward_reader FOR LOGIN orvomed_ward_reader WITH DEFAULT_SCHEMA = orvomed;
ALTER ROLE orvomed_ward_reading ADD MEMBER orvomed_ward_reader;
-- or, the nurses' own accounts:
IF NOT EXISTS (SELECT 1 FROM sys.server_principals WHERE name = N'DOMAIN\WardNurses')
    CREATE LOGIN [DOMAIN\WardNurses] FROM WINDOWS;
IF DATABASE_PRINCIPAL_ID(N'DOMAIN\WardNurses') IS NULL
    CREATE USER [DOMAIN\WardNurses] FOR LOGIN [DOMAIN\WardNurses] WITH DEFAULT_SCHEMA = orvomed;
ALTER ROLE orvomed_ward_reading ADD MEMBER [DOMAIN\WardNurses];
DELETE FROM orvomed.ward_access WHERE login = N'orvomed_ward_reader';
INSERT INTO orvomed.ward_access (login, ward) VALUES (N'DOMAIN\SurgeryNurses', N'<ward>');
*/

-- The table the suite's programs write every saved result into, and the
-- role a ward PC writes with (PostgreSQL 12 and later). Run once, as the
-- database's owner:
--   psql -d <database> -v writer_password="'<a password>'" -f postgresql.sql
-- A ward PC may only insert: it reads no one's data, changes or removes
-- nothing.

CREATE TABLE IF NOT EXISTS orvomed_record (
    record_id       char(36)         PRIMARY KEY,   -- the record's UUID, made at Save; the local row has it too
    saved_at        timestamptz      NOT NULL,      -- the save time, with the PC's UTC offset
    tool_id         integer          NOT NULL,      -- the tool's number (18: Braden)
    tool_title      varchar(200)     NOT NULL,
    program_version varchar(32)      NOT NULL,
    computer        varchar(64)      NOT NULL,
    windows_user    varchar(256)     NOT NULL,
    nurse_id        varchar(32)      NOT NULL,      -- empty when not given
    nurse_name      varchar(32)      NOT NULL,
    patient_id      varchar(32)      NOT NULL,      -- 住院号; empty for a calculation that concerns no one
    patient_name    varchar(32)      NOT NULL,
    bed             varchar(32)      NOT NULL,
    ward            varchar(32)      NOT NULL,
    inputs          text             NOT NULL,      -- one "label=value" line per input
    outputs         text             NOT NULL,      -- one "label=value unit" line per output ("--" when it failed)
    first_value     double precision,               -- the first output's value; NULL when it failed or the tool writes a report
    verdict         text             NOT NULL,
    level           smallint         NOT NULL,      -- 0 to 3
    level_words     varchar(32)      NOT NULL,      -- 完成 / 提醒 / 需关注 / 需立即处理
    result_text     text             NOT NULL       -- the whole result as Copy puts it on the clipboard
);

-- A ward's month, and one patient's history.
CREATE INDEX IF NOT EXISTS orvomed_record_ward_time ON orvomed_record (ward, saved_at);
CREATE INDEX IF NOT EXISTS orvomed_record_patient ON orvomed_record (patient_id, tool_id, saved_at);

-- The ward PCs' role: INSERT only.
DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'orvomed_writer') THEN
        CREATE ROLE orvomed_writer LOGIN;
    END IF;
END
$$;
ALTER ROLE orvomed_writer PASSWORD :writer_password;
REVOKE ALL ON orvomed_record FROM orvomed_writer;
GRANT INSERT ON orvomed_record TO orvomed_writer;

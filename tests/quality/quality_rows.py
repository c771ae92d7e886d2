#!/usr/bin/env python3
"""Invented wards' assessments for the quality figures' tests, as SQL:

  quality_rows.py [--months 13] [--wards 4] [--beds 4] [--end YYYY-MM]
      the assessments, one INSERT a row (as a ward PC sends them, and as
      the table takes them: for psql as orvomed_writer), in one transaction;
  quality_rows.py --stays [the same options]
      the same patients' stays: orvomed.stays made and filled, for psql as
      the owner (a superuser), before docs/records/postgresql.sql runs again.

The same options give the same rows. The months are the --months calendar
months (Beijing time) up to --end, by default the month before the current
one: the table refuses a save time from the future. Each ward's beds hold
stays one after another, some admitted before the first month, some still
in hospital; their admission assessments (Braden, Morse, NRS 2002 and
Caprini on surgical wards, Padua elsewhere) come within 24 hours, late,
exactly at 24 hours, before the admission or never; each reassessment comes
before its due time, at it or after it, at high and low levels; some fall
due at the very moment of discharge, when some patients have a last VTE
assessment; one patient in eight moves to the next ward mid-stay, some come
back for another stay, some rows of older programs have no assessment time,
and each ward has calculations for no patient that must not count. The
fourth ward's name holds characters no sheet name may have. Names are
invented.
"""
import argparse
import datetime as dt
import random
import sys

BEIJING = dt.timezone(dt.timedelta(hours=8))
WARDS = ['普外一科', '心内科', '骨科二病区', '外科[一]/2:3']
SURGICAL = {'普外一科', '骨科二病区', '外科[一]/2:3'}
TITLES = {18: 'Braden', 37: 'Norton', 39: 'Waterlow', 19: 'Morse', 34: 'Humpty Dumpty', 24: 'Caprini',
          22: 'Padua', 36: 'Autar', 21: 'NRS 2002', 23: 'NEWS2', 31: 'MEWS', 35: 'PEWS'}
OTHERS = [37, 39, 34, 36, 23, 31, 35]
LEVEL_WORDS = ['完成', '提醒', '需关注', '需立即处理']
VERDICTS = ['低风险：常规护理', '轻度风险：落实基础预防', '中度风险（需关注）：加强预防', '高风险（需立即处理）：落实预防措施']
# The next assessment's interval by level, in hours.
INTERVALS = [168, 72, 24, 24]
SURNAMES = '赵钱孙李周吴郑冯陈褚卫蒋沈韩杨朱秦许何吕施张孔曹严华金魏陶姜'
GIVEN = '安宁子明远静文华春秋若云海平和清雅德嘉佳悦'


def options():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--months', type=int, default=13)
    parser.add_argument('--wards', type=int, default=len(WARDS))
    parser.add_argument('--beds', type=int, default=4)
    parser.add_argument('--end', help='YYYY-MM, the last month of rows (default: the month before this one)')
    parser.add_argument('--stays', action='store_true', help="the stays' SQL instead of the assessments'")
    args = parser.parse_args()
    today = dt.datetime.now(BEIJING).date().replace(day=1)
    end = dt.date.fromisoformat(args.end + '-01') if args.end else (today - dt.timedelta(days=1)).replace(day=1)
    if end >= today:
        parser.error('--end must be a month before the current one: the table refuses save times to come')
    return args, end


def add_months(day, months):
    index = day.year * 12 + day.month - 1 + months
    return dt.date(index // 12, index % 12 + 1, 1)


def moment(day):
    return dt.datetime(day.year, day.month, day.day, tzinfo=BEIJING)


def ward_name(w):
    return WARDS[w] if w < len(WARDS) else f'病区{w + 1}'


def sql_text(value):
    if value is None:
        return 'NULL'
    if isinstance(value, dt.datetime):
        return "'" + value.isoformat(sep=' ') + "'"
    if isinstance(value, (int, float)):
        return str(value)
    return "'" + str(value).replace("'", "''") + "'"


class Stay:
    def __init__(self, number, patient, name, ward, bed, admitted, discharged):
        self.number, self.patient, self.name, self.ward, self.bed = number, patient, name, ward, bed
        self.admitted, self.discharged = admitted, discharged
        self.moves_to, self.moved_at = None, None


def make_stays(rng, wards, beds, first, last):
    """Each bed's stays, one after another, from a little before the first
    month to past the last one's end (the data's end: still in hospital)."""
    stays, patients = [], []
    for w in range(wards):
        for b in range(beds):
            at = moment(first) - dt.timedelta(days=rng.randint(2, 6), hours=rng.randint(0, 23))
            while True:
                at += dt.timedelta(hours=rng.randint(2, 30), minutes=rng.randint(0, 59))
                if at >= last:
                    break
                length = dt.timedelta(days=rng.randint(1, 12), hours=rng.randint(0, 23), minutes=rng.randint(0, 59))
                if patients and rng.random() < 0.08:
                    patient, name = rng.choice(patients)           # back for another stay
                else:
                    patient = f'Q{len(stays) + 1:07d}'
                    name = rng.choice(SURNAMES) + rng.choice(GIVEN) + rng.choice(GIVEN)
                    patients.append((patient, name))
                discharged = at + length if at + length < last else None
                stay = Stay(len(stays) + 1, patient, name, ward_name(w), str(b + 1), at, discharged)
                if wards > 1 and rng.random() < 0.125:
                    stay.moves_to = ward_name((w + 1) % wards)
                    stay.moved_at = at + length / 2
                stays.append(stay)
                at += length
    # A patient back for another stay before the first has ended is not:
    # keep each patient's stays apart in time.
    seen = {}
    kept = []
    for stay in sorted(stays, key=lambda s: s.admitted):
        end = seen.get(stay.patient)
        if end is not None and (end is dt.datetime.max or stay.admitted <= end):
            continue
        seen[stay.patient] = stay.discharged or dt.datetime.max
        kept.append(stay)
    return kept


def uuid(rng):
    return '%08x-%04x-4%03x-%x%03x-%012x' % (rng.getrandbits(32), rng.getrandbits(16), rng.getrandbits(12),
                                             8 + rng.getrandbits(2), rng.getrandbits(12), rng.getrandbits(48))


def row(rng, tool, at, level, stay, ward, due, saved_late=None):
    at = at.replace(microsecond=0)        # the programs send seconds
    due = due and due.replace(microsecond=0)
    saved = at + (saved_late if saved_late is not None else dt.timedelta(minutes=rng.randint(0, 20)))
    score = [20, 15, 12, 9][level]
    return {
        'record_id': uuid(rng), 'saved_at': saved, 'tool_id': tool, 'tool_title': TITLES[tool] + ' 评估',
        'program_version': '1.0.0', 'computer': f'WARD-PC-{rng.randint(1, 9)}', 'windows_user': 'nurse',
        'nurse_id': f'N{rng.randint(1, 40):03d}', 'nurse_name': '护士' + rng.choice(GIVEN) + rng.choice(GIVEN),
        'patient_id': stay.patient if stay else '', 'patient_name': stay.name if stay else '',
        'bed': stay.bed if stay else '', 'ward': ward, 'inputs': '项目=1', 'outputs': f'总分={score} 分',
        'headline_value': score, 'verdict': VERDICTS[level], 'level': level, 'level_words': LEVEL_WORDS[level],
        'result_text': f'{TITLES[tool]}：{score} 分 {VERDICTS[level]}',
        'visit_id': f'V{stay.number}' if stay and rng.random() < 0.8 else '',
        'admitted_at': stay.admitted if stay else None,
        # Older programs sent no assessment time.
        'assessed_at': at if rng.random() < 0.9 else None, 'due_at': due,
    }


def level_for(rng):
    return rng.choices([0, 1, 2, 3], weights=[4, 3, 2, 1])[0]


def assessments(rng, stay, tool, first_at, last):
    """One scale's assessments over a stay: the first at first_at, each next
    one before its due time or after it, until the patient leaves."""
    rows, at = [], first_at
    end = min(stay.discharged or last, last)
    while at < end:
        level = level_for(rng)
        hours = INTERVALS[level]
        due = at + dt.timedelta(hours=hours) if rng.random() < 0.9 else None
        ward = stay.moves_to if stay.moves_to and at >= stay.moved_at else stay.ward
        rows.append(row(rng, tool, at, level, stay, ward, due))
        kind = rng.choices(['early', 'at due', 'late'], weights=[6, 1, 3])[0]
        at += dt.timedelta(hours={'early': hours * rng.uniform(0.4, 0.99), 'at due': hours,
                                  'late': hours + rng.uniform(1, 30)}[kind])
    # Due again at the very moment the patient leaves.
    if rows and stay.discharged and (rows[-1]['due_at'] or end) > stay.discharged and rng.random() < 0.3:
        rows[-1]['due_at'] = stay.discharged
    return rows


def admission_offset(rng):
    """When an admission assessment comes: within 24 hours mostly."""
    kind = rng.choices(['within', 'late', 'at24', 'before', 'never'], weights=[14, 3, 1, 1, 2])[0]
    return {'within': dt.timedelta(minutes=rng.randint(0, 23 * 60)),
            'late': dt.timedelta(hours=rng.uniform(24.1, 40)),
            'at24': dt.timedelta(hours=24),
            'before': -dt.timedelta(minutes=rng.randint(10, 90)),
            'never': None}[kind]


def make_rows(rng, stays, wards, first, last):
    rows = []
    for stay in stays:
        vte = 24 if stay.ward in SURGICAL else 22
        for tool in (18, 19, 21, vte):
            offset = admission_offset(rng)
            if offset is not None and stay.admitted + offset < last:
                rows += assessments(rng, stay, tool, max(stay.admitted + offset, moment(first)), last)
        if stay.discharged and rng.random() < 0.15:
            # The VTE risk assessed again at the very moment of discharge.
            rows.append(row(rng, vte, stay.discharged, level_for(rng), stay, stay.moves_to or stay.ward, None))
        if rng.random() < 0.5:
            tool = rng.choice(OTHERS)
            rows += assessments(rng, stay, tool, stay.admitted + dt.timedelta(hours=rng.uniform(2, 48)), last)
    month = first
    while month < last.date():
        following = add_months(month, 1)
        for w in range(wards):
            # Calculations for no patient, high and due: never counted.
            for _ in range(2):
                at = moment(month) + dt.timedelta(minutes=rng.randint(0, 27 * 24 * 60))
                rows.append(row(rng, 18, at, 3, None, ward_name(w), at + dt.timedelta(hours=24)))
        # Calculated a minute before midnight, saved after it: the month it
        # was made in counts, not the one it was saved in.
        stay = next((s for s in stays if s.admitted < moment(following) - dt.timedelta(hours=2)
                     and (s.discharged is None or s.discharged > moment(following))), None)
        if stay:
            at = moment(following) - dt.timedelta(minutes=1)
            boundary = row(rng, 23, at, 2, stay, stay.ward, at + dt.timedelta(hours=12), dt.timedelta(minutes=5))
            boundary['assessed_at'] = at
            rows.append(boundary)
        month = following
    return [r for r in rows if moment(first) <= (r['assessed_at'] or r['saved_at']) and r['saved_at'] < last]


def main():
    args, end = options()
    rng = random.Random(20261101)
    first = add_months(end, 1 - args.months)
    last = moment(add_months(end, 1))
    stays = make_stays(rng, args.wards, args.beds, first, last)
    out = sys.stdout
    if args.stays:
        out.write("""-- The hospital's stays, as IT's table of 说明-README.md §9 (1), with the indexes §10 names.
CREATE TABLE orvomed.stays (patient_id varchar(32) NOT NULL, visit_id varchar(32) NOT NULL,
    patient_name varchar(32) NOT NULL, ward varchar(32) NOT NULL, bed varchar(32) NOT NULL,
    admitted_at timestamptz NOT NULL, discharged_at timestamptz, PRIMARY KEY (patient_id, visit_id));
CREATE INDEX ON orvomed.stays (patient_id, admitted_at);
CREATE INDEX ON orvomed.stays (admitted_at);
CREATE INDEX ON orvomed.stays (discharged_at);
CREATE INDEX ON orvomed.stays (ward) WHERE discharged_at IS NULL;
ALTER TABLE orvomed.stays OWNER TO orvomed_owner;
""")
        for stay in stays:
            values = [stay.patient, f'V{stay.number}', stay.name, stay.moves_to or stay.ward, stay.bed,
                      stay.admitted, stay.discharged]
            out.write('INSERT INTO orvomed.stays VALUES (' + ', '.join(sql_text(v) for v in values) + ');\n')
        out.write('ANALYZE orvomed.stays;\n')
        return
    rows = make_rows(rng, stays, args.wards, first, last)
    columns = list(rows[0].keys())
    out.write('BEGIN;\n')
    for r in sorted(rows, key=lambda r: r['saved_at']):
        out.write(f"INSERT INTO orvomed.orvomed_record ({', '.join(columns)}) VALUES ("
                  + ', '.join(sql_text(r[c]) for c in columns) + ');\n')
    out.write('COMMIT;\n')


if __name__ == '__main__':
    main()

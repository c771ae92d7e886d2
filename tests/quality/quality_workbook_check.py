#!/usr/bin/env python3
"""Reads a month's workbook back as a spreadsheet reader does (openpyxl) and
checks it against what the quality views returned for that month, the same
month a year before and the month before:

  quality_workbook_check.py WORKBOOK VIEWS MONTH plain|stays|empty
  quality_workbook_check.py WORKBOOK VIEWS MONTH typed WORK

VIEWS holds the views' rows as psql printed them: R|month|ward|tool|due|
on time|share, T|month|ward|family|tool|assessments|patients|high results|
high patients (an empty ward: the hospital's; an empty tool: the family's), A|month|ward|braden 24 h|morse 24 h|nrs 24 h|vte 24 h,
H|month|ward|admissions|discharges|bed-days|braden 24 h|morse 24 h|nrs 24 h|
vte 24 h|vte assessed|vte moderate-high. "typed" types
HIS figures into the HIS sheet, lets LibreOffice recalculate the workbook
in WORK and checks the rates that divide by them. Prints each failure and
exits 1 on any."""
import os
import subprocess
import sys
from collections import defaultdict

import openpyxl

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from quality_rows import TITLES  # noqa: E402 (the scales' names as the suite titles them)

TOOL = {name: tool for tool, name in TITLES.items()}
FAMILIES = ['压力性损伤', '跌倒', 'VTE', '营养', '早期预警']
ADMITTED = {'压力性损伤': 3, '跌倒': 4, 'VTE': 6, '营养': 5}  # the family's 24 h count among H's
failures = []


def near(got, expected):
    if isinstance(got, list) and isinstance(expected, list):
        return len(got) == len(expected) and all(near(g, e) for g, e in zip(got, expected))
    return got == expected or (isinstance(got, float) and isinstance(expected, float) and abs(got - expected) < 1e-9)


def check(what, got, expected):
    if not near(got, expected):
        failures.append(f'{what}: {got!r}, not {expected!r}')


def read_views(path):
    reassess, totals = defaultdict(lambda: [0, 0, None]), defaultdict(lambda: [0] * 4)
    admitted, stays = defaultdict(lambda: [0] * 4), defaultdict(lambda: [0] * 9)
    for line in open(path, encoding='utf-8'):
        f = line.rstrip('\n').split('|')
        if f[0] == 'R':
            reassess[f[1], f[2], int(f[3])] = [int(f[4]), int(f[5]), float(f[6]) if f[6] else None]
        elif f[0] == 'T':
            totals[f[1], f[2] or None, f[3], int(f[4]) if f[4] else None] = [int(x) for x in f[5:9]]
        elif f[0] == 'A':
            admitted[f[1], f[2] or None] = [int(x) for x in f[3:7]]
        elif f[0] == 'H':
            stays[f[1], f[2]] = [int(x) for x in f[3:]]
    return reassess, totals, admitted, stays


def share(num, den):
    return num / den if den else None


def due(reassess, month, ward, tools):
    """Reassessments due and on time of a ward (None: every ward) and scales:
    each counted once on one ward, they add up."""
    rows = [v for (m, w, t), v in reassess.items() if m == month and ward in (w, None) and t in tools]
    return sum(v[0] for v in rows), sum(v[1] for v in rows)


def his_sum(stays, month, ward, k):
    return sum(v[k] for (m, w), v in stays.items() if m == month and ward in (w, None))


def empty_share(value):
    return None if value in (None, '') else value


def ward_rows(ws, first=6, total=False):
    """{ward: row} of a sheet's table, and the total row's as None's."""
    rows, r = {}, first
    while ws.cell(r, 1).value not in (None, '合计'):
        rows[ws.cell(r, 1).value] = r
        r += 1
    check(f'{ws.title}: the total row', ws.cell(r, 1).value, '合计')
    if total:
        rows[None] = r
    return rows


def columns(ws, row=5):
    """{(group, head): column}, the group the heading above names."""
    found, group = {}, None
    for c in range(2, ws.max_column + 1):
        group = ws.cell(row - 1, c).value or group
        if ws.cell(row, c).value:
            found[group, ws.cell(row, c).value] = c
    return found


def month_before(month, n):
    y, m = map(int, month.split('-')[:2])
    i = y * 12 + m - 1 - n
    return f'{i // 12:04d}-{i % 12 + 1:02d}-01'


def main():
    book_path, views_path, month, mode = sys.argv[1:5]
    this, same, last = month_before(month, 0), month_before(month, 12), month_before(month, 1)
    # A month of no rows is checked against none.
    reassess, totals, admitted, stays = read_views(views_path if mode != 'empty' else os.devnull)
    wb = openpyxl.load_workbook(book_path, data_only=True)
    check('the sheets', wb.sheetnames, ['汇总'] + FAMILIES + ['HIS 数据', '说明'])
    wards = sorted({w for (m, w, *_) in list(totals) + list(reassess) if w and m in (this, same, last)})
    summary = wb['汇总']
    if mode == 'empty':
        check('the empty month told', '没有评估记录' in (summary['A3'].value or ''), True)
    s_rows, s_cols = ward_rows(summary, total=True), columns(summary)

    def admissions(month, ward, family):
        """The 24 h count and the admissions it divides by (None: typed, not yet)."""
        if mode == 'stays':
            return his_sum(stays, month, ward, ADMITTED[family]), his_sum(stays, month, ward, 0)
        return admitted[month, ward][ADMITTED[family] - 3], None

    for family in FAMILIES:
        ws = wb[family]
        rows, cols = ward_rows(ws, total=True), columns(ws)
        for ward in wards:
            check(f'{family}: ward {ward} listed', ward in rows, True)
        tools = [g for (g, h) in cols if h == '评估人次' and g in TOOL]
        ids = [TOOL[n] for n in tools]
        for ward, r in rows.items():
            for name in tools:  # the total row's the whole hospital's, each patient once
                t, (d, met) = totals[this, ward, family, TOOL[name]], due(reassess, this, ward, [TOOL[name]])
                expected = t + [share(t[3], t[1]), d, met, share(met, d)]
                for head, value in zip(['评估人次', '评估患者数', '高危人次', '高危患者数', '高危患者占比',
                                        '应复评次数', '按时复评次数', '复评及时率'], expected):
                    check(f'{family} {ward} {name} {head}', empty_share(ws.cell(r, cols[name, head]).value), value)
            if family in ADMITTED:
                check(f'{family} {ward} admitted within 24 h', ws.cell(r, cols[family, '入院 24 h 内评估数']).value,
                      admissions(this, ward, family)[0])
            if mode == 'stays' and family == 'VTE':
                h = [his_sum(stays, this, ward, k) for k in range(9)]
                for head, value in (('住院期间已评估 VTE 风险的出院患者', h[7]), ('VTE 风险评估率', share(h[7], h[1])),
                                    ('其中 VTE 中高危', h[8]), ('VTE 中高危占比', share(h[8], h[7]))):
                    check(f'VTE {ward} {head}', empty_share(ws.cell(r, cols['VTE', head]).value), value)
        check(f'{family}: its charts', sorted(type(c).__name__ for c in ws._charts),
              ['BarChart', 'LineChart'] if len(rows) > 1 else ['LineChart'])
        # The whole hospital's thirteen months.
        top = next(r for r in range(1, ws.max_row + 1) if ws.cell(r, 1).value == '近 13 个月（全院）') + 2
        for k in range(13):
            m, t = month_before(month, 12 - k), totals[month_before(month, 12 - k), None, family, None]
            d, met = due(reassess, m, None, ids)
            check(f'{family} trend {m}', [empty_share(ws.cell(top + k, c).value) for c in range(1, 9)],
                  [m[:7], t[0], t[1], t[3], share(t[3], t[1]), d, met, share(met, d)])
        # The summary's indicators of the family: this month, a year before,
        # the month before, and the change on a year.
        for ward, r in s_rows.items():
            def value(head, which):
                t, (d, met) = totals[which, ward, family, None], due(reassess, which, ward, ids)
                if head == '评估人次':
                    return t[0]
                if head == '高危患者占比':
                    return share(t[3], t[1])
                if head == '复评及时率':
                    return share(met, d)
                num, den = admissions(which, ward, family)
                return share(num, den) if den is not None else None
            for head in ['评估人次', '高危患者占比', '复评及时率'] + (['入院 24 h 内评估率'] if family in ADMITTED else []):
                group = f'{family}：{head}'
                now, before = value(head, this), value(head, same)
                for period, expected in (('本期', now), ('同期', before), ('上月', value(head, last)),
                                         ('同比', (now - before) / before if now is not None and before else None)):
                    check(f'汇总 {ward} {group} {period}', empty_share(summary.cell(r, s_cols[group, period]).value),
                          expected)
    for ward, r in s_rows.items() if mode == 'stays' else ():
        for head, num, den in (('入院人数', 0, None), ('出院人数', 1, None), ('实际占用床日数', 2, None),
                               ('VTE 风险评估率', 7, 1), ('VTE 中高危占比', 8, 7)):
            for period, which in (('本期', this), ('同期', same), ('上月', last)):
                n = his_sum(stays, which, ward, num)
                check(f'汇总 {ward} {head} {period}', empty_share(summary.cell(r, s_cols[head, period]).value),
                      n if den is None else share(n, his_sum(stays, which, ward, den)))
    notes = [row[0] for row in wb['说明'].iter_rows(max_col=1, values_only=True) if row[0]]
    check("说明: the month's range, the program", [any(n.startswith(f'数据范围：评估时间在 {this} 至月末') for n in notes),
                                               any(n.startswith('程序：OrvoMedQuality 1.') for n in notes)], [True, True])
    his = wb['HIS 数据']
    for ward, r in ward_rows(his).items():
        got = [his.cell(r, c).value for c in (2, 3, 4)]
        check(f'HIS {ward}', got, stays[this, ward][:3] if mode == 'stays' else [None] * 3)
    if mode == 'typed':
        typed(book_path, sys.argv[5], totals, admitted, this)
    for f in failures:
        print('FAIL:', f)
    sys.exit(1 if failures else 0)


def typed(book_path, work, totals, admitted, this):
    """The department types each ward's HIS figures; LibreOffice, made to
    recalculate every workbook it opens, fills the rates over them."""
    wb = openpyxl.load_workbook(book_path)
    his = wb['HIS 数据']
    beds, admissions = {}, {}
    for i, (ward, r) in enumerate(ward_rows(his).items()):
        beds[ward], admissions[ward] = 300 + 17 * i, 20 + i
        for c, v in ((2, admissions[ward]), (3, 18 + i), (4, beds[ward])):
            his.cell(r, c).value = v
    os.makedirs(f'{work}/typed', exist_ok=True)
    wb.save(f'{work}/typed/typed.xlsx')
    profile = f'{work}/office-profile'
    os.makedirs(f'{profile}/user', exist_ok=True)
    with open(f'{profile}/user/registrymodifications.xcu', 'w') as x:
        x.write('<?xml version="1.0" encoding="UTF-8"?>\n<oor:items xmlns:oor="http://openoffice.org/2001/registry"'
                ' xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">'
                '<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode"'
                ' oor:op="fuse"><value>0</value></prop></item></oor:items>\n')
    subprocess.run(['soffice', f'-env:UserInstallation=file://{profile}', '--headless', '--convert-to', 'xlsx',
                    '--outdir', f'{work}/recalculated', f'{work}/typed/typed.xlsx'], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
    wb = openpyxl.load_workbook(f'{work}/recalculated/typed.xlsx', data_only=True)
    for family in FAMILIES:
        ws = wb[family]
        cols = columns(ws)
        for ward, r in ward_rows(ws).items():
            check(f'{family} {ward}: bed-days typed', ws.cell(r, cols[family, '实际占用床日数']).value, beds[ward])
            check(f'{family} {ward}: assessments per 1000 bed-days', ws.cell(r, cols[family, '每千床日评估人次']).value,
                  totals[this, ward, family, None][0] / beds[ward] * 1000)
            if family in ADMITTED:
                check(f'{family} {ward}: admitted within 24 h over the admissions typed',
                      ws.cell(r, cols[family, '入院 24 h 内评估率']).value,
                      admitted[this, ward][ADMITTED[family] - 3] / admissions[ward])


if __name__ == '__main__':
    main()

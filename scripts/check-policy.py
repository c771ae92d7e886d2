#!/usr/bin/env python3
"""Checks the Group Policy template a release carries before it is packaged:

    check-policy.py FOLDER

FOLDER holds NAME.admx and, in one folder per language (zh-CN, en-US), the
NAME.adml that translates it. Every file must be well-formed XML, the ADMX
must define at least one policy, and every language must define each string
($(string.ID)) and presentation ($(presentation.ID)) the ADMX refers to:
the Group Policy editor refuses a template whose language file lacks one,
and shows nothing of it. Prints each finding and exits 1 when there is one.
"""
import glob
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

NAMESPACE = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
REFERENCE = re.compile(r"\$\((string|presentation)\.([^)]*)\)")


def main():
    if len(sys.argv) != 2:
        print("usage: check-policy.py FOLDER", file=sys.stderr)
        sys.exit(2)
    folder = sys.argv[1]
    findings = []
    templates = glob.glob(os.path.join(folder, "*.admx"))
    if not templates:
        findings.append("%s: no .admx file" % folder)
    for admx in templates:
        try:
            root = ElementTree.parse(admx).getroot()
        except ElementTree.ParseError as error:
            findings.append("%s: %s" % (admx, error))
            continue
        if not root.findall("./%spolicies/%spolicy" % (NAMESPACE, NAMESPACE)):
            findings.append("%s: defines no policy" % admx)
        wanted = {(kind, name) for element in root.iter() for value in element.attrib.values()
                  for kind, name in REFERENCE.findall(value)}
        translations = glob.glob(os.path.join(folder, "*", os.path.basename(admx)[:-1] + "l"))
        if not translations:
            findings.append("%s: no language folder holds its .adml" % admx)
        for adml in translations:
            try:
                table = ElementTree.parse(adml).getroot()
            except ElementTree.ParseError as error:
                findings.append("%s: %s" % (adml, error))
                continue
            defined = {(element.tag[len(NAMESPACE):], element.get("id")) for element in table.iter()}
            for kind, name in sorted(wanted - defined):
                findings.append("%s: no %s %s, which %s refers to" % (adml, kind, name, admx))
    for finding in findings:
        print(finding, file=sys.stderr)
    sys.exit(1 if findings else 0)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes the space-dependent spelling of a sample program.

    to_space_dependent.py basics.txt basics-sd.txt

Keywords and names go to lower case (the space-dependent spelling accepts
keywords in any case and keeps a name's first letter upper case); strings,
comments and the raw text of DATA, REM and IMAGE stay as they are. MAT
PRINT# and MAT READ# keep the "#" joined to their keyword, as that spelling
wants. Line numbers stay, so both files compile to the same program.
"""
import re
import sys

RAW = re.compile(r'^(\s*(?:\d+\s+)?(?:[A-Z][a-z0-9_]*:\s*)?)(DATA|REM|IMAGE)\b(.*)$')


def convert(line):
    m = RAW.match(line)
    if m:
        return m.group(1).lower() + m.group(2).lower() + m.group(3)
    out = []
    quoted = False
    for i, c in enumerate(line):
        if c == '"':
            quoted = not quoted
            out.append(c)
        elif not quoted and c == '!':
            out.append(line[i:])
            break
        else:
            out.append(c if quoted else c.lower())
    text = ''.join(out)
    return re.sub(r'^(\s*mat (?:print|read)) #', r'\1#', text)


def main():
    if len(sys.argv) != 3:
        sys.exit('usage: to_space_dependent.py source.txt source-sd.txt')
    with open(sys.argv[1]) as f:
        lines = f.read().split('\n')
    with open(sys.argv[2], 'w') as f:
        f.write('\n'.join(convert(l) for l in lines))


if __name__ == '__main__':
    main()

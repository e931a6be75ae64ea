#!/usr/bin/env python3
"""A synthetic catalogue ten times the size of the one given, for bench/run-server.

Every paper record of CATALOGUE is written ten times: as it is, then nine copies whose names
gain a word or two of a newspaper's name ("Weekly", "Evening Star", ...) and whose websites a
host name of their own, under the same place and city. Sources, aliases and rules are kept, so
listings grow tenfold place by place and searches meet ten times the matches. The data is made
up for measuring and is never served as a catalogue.

    bench/server/tenfold_catalogue.py CATALOGUE OUTPUT
"""
import sys

SUFFIXES = ["Weekly", "Evening Star", "Courier", "Observer", "Sentinel", "Ledger",
            "Tribune Review", "Post Dispatch", "Gazette Journal"]


def main():
    source, output = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as lines, open(output, "w", encoding="utf-8") as out:
        out.write("# Made up by bench/server/tenfold_catalogue.py for measuring; not a catalogue.\n")
        for line in lines:
            fields = line.rstrip("\n").split("\t")
            if fields[0] != "paper":
                out.write(line)
                continue
            out.write(line)
            for copy, suffix in enumerate(SUFFIXES, start=1):
                # paper region place city name kind language website feed sources
                twin = list(fields)
                twin[4] = f"{fields[4]} {suffix}"
                twin[7] = fields[7].replace("://", f"://copy{copy}.", 1)
                twin[8] = ""
                out.write("\t".join(twin) + "\n")


if __name__ == "__main__":
    main()

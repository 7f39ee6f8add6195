"""Writes the national-tax filing of one period (GetReportDate).

    python example.py OUTPUT.xml ACCOUNT YEAR PERIOD SERVER [LIBRARY]
"""
import sys

import vokqm7


def main(argv):
    if len(argv) not in (6, 7):
        print("usage: example.py OUTPUT.xml ACCOUNT YEAR PERIOD SERVER [LIBRARY]", file=sys.stderr)
        return 2
    output, account, year, period, server = argv[1:6]
    library = vokqm7.Library(argv[6] if len(argv) == 7 else None)
    print("interface version %d" % library.get_version())
    try:
        library.get_report_date(output, account=account, year=year, period=period, server=server)
    except vokqm7.Vokqm7Error as error:
        print(error)
        return 1
    print("GetReportDate wrote " + output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

"""Writes the national-tax filing of one period (GetReportDate), one
statement from a template (GetReportV2), or opens the interactive report
tool logged in (OpenReportV2):

    python example.py OUTPUT.xml ACCOUNT YEAR PERIOD SERVER
    python example.py --statement ZCFZB|SYB TEMPLATE.rep OUTPUT.xml ACCOUNT YEAR PERIOD SERVER
    python example.py --open USER PASSWORD LOGIN_DATE TEMPLATE.rep ACCOUNT YEAR PERIOD SERVER

--library PATH loads that file instead of the wheel's DLL (or libVOKQM7.so.1).
"""
import argparse
import sys

import vokqm7


def main(argv):
    parser = argparse.ArgumentParser(usage=__doc__.split("\n\n")[1])
    parser.add_argument("--library")
    mode = parser.add_mutually_exclusive_group()
    mode.add_argument("--statement", nargs=2, metavar=("TYPE", "TEMPLATE"))
    mode.add_argument("--open", nargs=4, metavar=("USER", "PASSWORD", "LOGIN_DATE", "TEMPLATE"))
    parser.add_argument("values", nargs="+")
    arguments = parser.parse_args(argv[1:])
    if len(arguments.values) != (4 if arguments.open else 5):
        parser.error("wrong number of arguments")
    library = vokqm7.Library(arguments.library)
    print("interface version %d" % library.get_version())
    *output, account, year, period, server = arguments.values
    login = dict(account=account, year=year, period=period, server=server)
    try:
        if arguments.open:
            user, password, login_date, template = arguments.open
            library.open_report_v2(user=user, password=password, login_date=login_date,
                                   file_rep=template, **login)
            print("OpenReportV2 started the report tool")
        elif arguments.statement:
            report_type, template = arguments.statement
            library.get_report_v2(output[0], report_type=report_type, file_rep=template, **login)
            print("GetReportV2 wrote " + output[0])
        else:
            library.get_report_date(output[0], **login)
            print("GetReportDate wrote " + output[0])
    except (vokqm7.Vokqm7Error, vokqm7.Vokqm7TextError) as error:
        print(error)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

"""vokqm7.py on its own: the login text it builds, and how it turns a
failed call's buffer into Vokqm7Error, with the library stood in for."""
import ctypes
import os
import re
import shutil
import tempfile
import unittest

import vokqm7


class LoginXmlTest(unittest.TestCase):
    def test_fields_in_order_and_escaped(self):
        cases = [
            ("the four fields of a filing",
             dict(account="001", year=2026, period=11, server="acct"),
             "<AccountCode>001</AccountCode><Year>2026</Year><Period>11</Period>"
             "<Server>acct</Server>"),
            ("every character XML reserves",
             dict(account="A&B<1>'\"", year=2026, period=1, server="s"),
             "<AccountCode>A&amp;B&lt;1&gt;&apos;&quot;</AccountCode><Year>2026</Year>"
             "<Period>1</Period><Server>s</Server>"),
            ("a character whose GBK ends in the byte of a backslash",
             dict(account="誠信", year=2026, period=11, server="東"),
             "<AccountCode>誠信</AccountCode><Year>2026</Year><Period>11</Period>"
             "<Server>東</Server>"),
            ("the interactive tool's fields, given out of order",
             dict(file_rep="D:\\模板\\a.rep", password="p&w", user="u", login_date="2026-11-30",
                  account="1", year=2026, period=11, server="s"),
             "<AccountCode>1</AccountCode><Year>2026</Year><Period>11</Period><Server>s</Server>"
             "<UserID>u</UserID><Password>p&amp;w</Password><LoginDate>2026-11-30</LoginDate>"
             "<FileRep>D:\\模板\\a.rep</FileRep>"),
            ("a report type", dict(account="1", year=2026, period=11, server="s", report_type="SYB"),
             "<AccountCode>1</AccountCode><Year>2026</Year><Period>11</Period><Server>s</Server>"
             "<ReportType>SYB</ReportType>"),
            ("a field given as None is left out",
             dict(account="1", year=2026, period=11, server="s", password=None),
             "<AccountCode>1</AccountCode><Year>2026</Year><Period>11</Period><Server>s</Server>"),
            ("an empty field stays", dict(account="", year=2026, period=11, server="s"),
             "<AccountCode></AccountCode><Year>2026</Year><Period>11</Period><Server>s</Server>"),
        ]
        for name, fields, inner in cases:
            with self.subTest(name):
                self.assertEqual(vokqm7.login_xml(**fields),
                                 "<Info><LoginInfo>" + inner + "</LoginInfo></Info>")

    def test_unknown_field_refused(self):
        with self.assertRaisesRegex(TypeError, "unknown login field.*acount"):
            vokqm7.login_xml(acount="001", year=2026, period=11, server="s")


class StandInExport:
    """Stands in for one export: fills the message buffer and returns result."""

    def __init__(self, result, message):
        self.result, self.message, self.arguments = result, message, None

    def __call__(self, *arguments):
        self.arguments = arguments
        buffer = arguments[-1]
        ctypes.memmove(buffer, self.message + b"\0", len(self.message) + 1)
        return self.result


class FailedCallTest(unittest.TestCase):
    def library_with(self, export_name, export):
        library = vokqm7.Library.__new__(vokqm7.Library)
        library._dll = type("StandInDll", (), {export_name: staticmethod(export)})()
        return library

    def test_message_decoded_into_the_error(self):
        in_use = "财务软件安装目录正被另一个报表调用使用,请稍后再试!".encode("gbk")
        cases = [
            ("the message of an installation in use", -1, in_use, 27),
            ("51 bytes, as long as a message gets", -1, "誠".encode("gbk") * 25 + b"!", 0),
            ("a section writer's own result", -3, "誠運錦衆診謀".encode("gbk"), 0),
            ("a message the buffer ends", -1, b"x" * (vokqm7.MESSAGE_BUFFER_SIZE - 1), 0),
            ("the code page message", -1, "系统代码页不是936(GBK),无法处理中文参数!".encode("gbk"), 28),
        ]
        for name, result, message, number in cases:
            with self.subTest(name):
                export = StandInExport(result, message)
                library = self.library_with("GetReportDate", export)
                with self.assertRaises(vokqm7.Vokqm7Error) as raised:
                    library.get_report_date("誠.xml", account="1", year=2026, period=11, server="s")
                self.assertEqual(raised.exception.result, result)
                self.assertEqual(raised.exception.message, message.decode("gbk"))
                self.assertEqual(raised.exception.code, number)
                self.assertEqual(str(raised.exception), "GetReportDate failed (%d, message %d): %s"
                                 % (result, number, message.decode("gbk")))
                self.assertEqual(export.arguments[1], "誠.xml".encode("gbk"))
                self.assertGreaterEqual(len(export.arguments[2]), 52)

    def test_success_raises_nothing(self):
        export = StandInExport(0, b"")
        library = self.library_with("GetReportDateV2", export)
        library.get_report_date_v2(b"out.xml", account="1", year=2026, period=11, server="s")
        self.assertIn(b"<AccountCode>1</AccountCode>", export.arguments[0])

    def test_text_gbk_lacks_refused_before_the_call(self):
        export = StandInExport(0, b"")
        library = self.library_with("GetReport", export)
        for argument, text, character in (("template_path", "Zoë.rep", "U+00EB"),
                                          ("data_file_path", "a😀.xml", "U+1F600"),
                                          ("login", "䶮", "U+4DAE")):
            paths = {"template_path": "t.rep", "data_file_path": "d.xml", argument: text}
            account = text if argument == "login" else "1"
            with self.subTest(argument), self.assertRaisesRegex(
                    vokqm7.Vokqm7TextError, "^%s: .*%s" % (argument, re.escape(character))):
                library.get_report(0, paths["template_path"], paths["data_file_path"],
                                   account=account, year=2026, period=11, server="s")
        self.assertIsNone(export.arguments)


class LoadingTest(unittest.TestCase):
    def test_each_failure_says_what_failed(self):
        work = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, work)
        other_bits = 96 - ctypes.sizeof(ctypes.c_void_p) * 8
        other = os.path.join(work, "other.so")
        with open(other, "wb") as file:  # an ELF header of the other class, nothing else
            file.write(b"\x7fELF" + bytes([1 if other_bits == 32 else 2]) + bytes(59))
        cases = [
            ("no such file", os.path.join(work, "libVOKQM7.so.1"), FileNotFoundError,
             "no VOKQM7 library at "),
            ("the other bitness", other, OSError, "it is a %d-bit library and this Python is"
             % other_bits),
            ("a bare name found nowhere", "libVOKQM7-none.so", OSError,
             "found nowhere Python looks for a bare name"),
        ]
        for name, path, error, words in cases:
            with self.subTest(name), self.assertRaisesRegex(error, words):
                vokqm7.Library(path)


if __name__ == "__main__":
    unittest.main()

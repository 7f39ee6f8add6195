#!/usr/bin/env python3
"""Writes the demo installation's report templates.

The stand-in batch tool "computes" a template by copying it, so each template
here already holds the cells of a finished statement: a two-sided balance
sheet and income statements of 北京华信商贸有限公司 for November 2026, with
amounts that add up under the tool's shipped rules for these layouts
(tools/vokqm7/checks/rules/): assets equal liabilities plus equity, every
total is the sum of its lines, the profit lines follow from the lines above
them as each layout orders them, and the year's net profit reaches the
balance sheet's retained earnings.

Run it after changing the figures; it rewrites install/vok/vokModel/.
"""
from decimal import Decimal as D
from pathlib import Path
from xml.sax.saxutils import escape

HERE = Path(__file__).resolve().parent
MODEL = HERE / "install" / "vok" / "vokModel"
COMPANY = "北京华信商贸有限公司"


class Sheet:
    """Cells in export order: row by row, each row from column 1."""

    def __init__(self):
        self.cells = []
        self.row = 0

    def merged(self, first_col, last_col, value):
        self.row += 1
        self.cells.append((self.row, first_col, self.row, last_col, value))

    def line(self, *values, merged_tail=None):
        self.row += 1
        for col, value in enumerate(values, start=1):
            self.cells.append((self.row, col, self.row, col, value))

    def xml(self):
        out = ['<?xml version="1.0" encoding="GBK"?>', "<vok>"]
        for r1, c1, r2, c2, value in self.cells:
            out.append(
                f"  <cell><row1>{r1}</row1><col1>{c1}</col1><row2>{r2}</row2>"
                f"<col2>{c2}</col2><value>{escape(value)}</value></cell>")
        out.append("</vok>")
        return ("\n".join(out) + "\n").encode("gbk")


def amount(value):
    return "" if value is None else f"{value:.2f}"


# Income statement figures: (month, year to date).
REVENUE = (D("486300.00"), D("5127450.00"))
COST = (D("352140.00"), D("3698230.00"))
TAXES = (D("2917.80"), D("30764.70"))
SELLING = (D("28460.00"), D("301880.00"))
ADMIN = (D("41250.00"), D("452600.00"))
FINANCE = (D("1830.50"), D("19754.30"))
INVESTMENT = (D("0.00"), D("12500.00"))
NONOP_INCOME = (D("0.00"), D("8000.00"))
NONOP_EXPENSE = (D("1200.00"), D("3600.00"))


def pair(f):
    return tuple(f(i) for i in range(2))


OPERATING = pair(lambda i: REVENUE[i] - COST[i] - TAXES[i] - SELLING[i] - ADMIN[i]
                 - FINANCE[i] + INVESTMENT[i])
TOTAL = pair(lambda i: OPERATING[i] + NONOP_INCOME[i] - NONOP_EXPENSE[i])
INCOME_TAX = pair(lambda i: (TOTAL[i] * D("0.05")).quantize(D("0.01")))
NET = pair(lambda i: TOTAL[i] - INCOME_TAX[i])


def financial_income_statement():
    s = Sheet()
    s.merged(1, 4, "利  润  表")
    s.merged(1, 4, f"编制单位：{COMPANY}    2026年11月    单位：元")
    s.line("项      目", "行次", "本月数", "本年累计数")
    rows = [
        ("一、营业收入", "1", REVENUE), ("减：营业成本", "2", COST),
        ("    税金及附加", "3", TAXES), ("    销售费用", "4", SELLING),
        ("    管理费用", "5", ADMIN), ("    财务费用", "6", FINANCE),
        ("加：投资收益", "7", INVESTMENT), ("二、营业利润", "8", OPERATING),
        ("加：营业外收入", "9", NONOP_INCOME), ("减：营业外支出", "10", NONOP_EXPENSE),
        ("三、利润总额", "11", TOTAL), ("减：所得税费用", "12", INCOME_TAX),
        ("四、净利润", "13", NET),
    ]
    for name, line, (month, ytd) in rows:
        s.line(name, line, amount(month), amount(ytd))
    s.merged(1, 4, "补充资料：")
    s.line("项      目", "", "本年累计数", "上年实际数")
    supplementary = [
        ("1.出售、处置部门或被投资单位所得收益", None, None),
        ("2.自然灾害发生的损失", None, None),
        ("3.会计政策变更增加（或减少）利润总额", None, None),
        ("4.会计估计变更增加（或减少）利润总额", D("-4200.00"), None),
        ("5.债务重组损失", None, D("1500.00")),
        ("6.其他", D("3000.00"), D("2800.00")),
    ]
    for name, ytd, last_year in supplementary:
        s.line(name, "", amount(ytd), amount(last_year))
    return s


# The year before, for the statement of the year and the year before.
LAST_YEAR = dict(revenue=D("4683920.00"), cost=D("3391480.00"), taxes=D("28103.50"),
                 selling=D("276540.00"), admin=D("418330.00"), finance=D("22617.80"),
                 investment=D("9800.00"), nonop_income=D("5000.00"),
                 nonop_expense=D("2750.00"))


def year_income_statement():
    """利润表 of the year to date beside the year before (本年累计数, 上年数),
    the single statement that GetReportV2 makes for --type syb."""
    y = LAST_YEAR
    operating = (y["revenue"] - y["cost"] - y["taxes"] - y["selling"] - y["admin"]
                 - y["finance"] + y["investment"])
    total = operating + y["nonop_income"] - y["nonop_expense"]
    tax = (total * D("0.05")).quantize(D("0.01"))
    last = [y["revenue"], y["cost"], y["taxes"], y["selling"], y["admin"], y["finance"],
            y["investment"], operating, y["nonop_income"], y["nonop_expense"], total, tax,
            total - tax]
    ytd = [REVENUE, COST, TAXES, SELLING, ADMIN, FINANCE, INVESTMENT, OPERATING,
           NONOP_INCOME, NONOP_EXPENSE, TOTAL, INCOME_TAX, NET]
    names = ["一、营业收入", "减：营业成本", "    税金及附加", "    销售费用", "    管理费用",
             "    财务费用", "加：投资收益", "二、营业利润", "加：营业外收入", "减：营业外支出",
             "三、利润总额", "减：所得税费用", "四、净利润"]
    s = Sheet()
    s.merged(1, 4, "利  润  表")
    s.merged(1, 4, f"编制单位：{COMPANY}    2026年1-11月    单位：元")
    s.line("项      目", "行次", "本年累计数", "上年数")
    for number, (name, (_, this_year), last_year) in enumerate(zip(names, ytd, last), 1):
        s.line(name, str(number), amount(this_year), amount(last_year))
    return s


def national_income_statement():
    s = Sheet()
    s.merged(1, 4, "损  益  表")
    s.merged(1, 4, f"纳税人名称：{COMPANY}    所属期：2026年11月    单位：元")
    s.line("项      目", "行 次", "本月数", "本年累计数")
    main_profit = pair(lambda i: REVENUE[i] - COST[i] - TAXES[i])
    # In this layout 投资收益 comes after 三、营业利润, on the way to 四、利润总额,
    # so the operating profit here holds no investment income.
    operating = pair(lambda i: main_profit[i] - SELLING[i] - ADMIN[i] - FINANCE[i])
    assert all(operating[i] + INVESTMENT[i] == OPERATING[i] for i in range(2))
    rows = [
        ("一、主营业务收入", "1", REVENUE), ("减：主营业务成本", "2", COST),
        ("    主营业务税金及附加", "3", TAXES), ("二、主营业务利润", "4", main_profit),
        ("加：其他业务利润", "5", (None, None)), ("减：营业费用", "6", SELLING),
        ("    管理费用", "7", ADMIN), ("    财务费用", "8", FINANCE),
        ("三、营业利润", "9", operating),
        ("加：投资收益", "10", INVESTMENT), ("    补贴收入", "11", (None, None)),
        ("    营业外收入", "12", NONOP_INCOME), ("减：营业外支出", "13", NONOP_EXPENSE),
        ("四、利润总额", "14", TOTAL), ("减：所得税", "15", INCOME_TAX),
        ("五、净利润", "16", NET),
    ]
    for name, line, (month, ytd) in rows:
        s.line(name, line, amount(month), amount(ytd))
    s.merged(1, 4, "注：本表金额以人民币元为单位。")
    return s


def balance_sheet(title):
    # (name, line, start of year, end of period); None amounts are blank cells.
    cash_start, cash_end = D(0), D(0)  # set below so that both sides balance
    current_assets = [
        ("    短期投资", "2", D("50000.00"), D("30000.00")),
        ("    应收票据", "3", None, D("18600.00")),
        ("    应收账款", "4", D("215300.00"), D("268940.00")),
        ("    预付账款", "5", D("18000.00"), D("9500.00")),
        ("    其他应收款", "6", D("6250.00"), D("4380.00")),
        ("    存货", "7", D("402880.00"), D("451720.00")),
    ]
    fixed_cost = (D("860000.00"), D("912000.00"))
    depreciation = (D("214500.00"), D("283700.00"))
    long_term_investment = (D("100000.00"), D("100000.00"))
    intangible = (D("36000.00"), D("33000.00"))

    liabilities = [
        ("    短期借款", "16", D("200000.00"), D("150000.00")),
        ("    应付账款", "17", D("186420.00"), D("203310.00")),
        ("    预收账款", "18", D("25000.00"), D("41800.00")),
        ("    应付职工薪酬", "19", D("48600.00"), D("52300.00")),
        ("    应交税费", "20", D("21380.40"), D("27915.60")),
        ("    其他应付款", "21", D("9100.00"), D("6200.00")),
    ]
    long_term_loan = (D("300000.00"), D("300000.00"))
    paid_in = (D("1000000.00"), D("1000000.00"))
    capital_reserve = (D("20000.00"), D("20000.00"))
    surplus_reserve = (D("38600.00"), D("38600.00"))
    retained_start = D("172489.60")
    retained = (retained_start, retained_start + NET[1])

    def total(items, i):
        return sum(((it[2], it[3])[i] or D(0)) for it in items)

    current_liab = pair(lambda i: total(liabilities, i))
    all_liab = pair(lambda i: current_liab[i] + long_term_loan[i])
    equity = pair(lambda i: paid_in[i] + capital_reserve[i] + surplus_reserve[i] + retained[i])
    liab_equity = pair(lambda i: all_liab[i] + equity[i])
    fixed_net = pair(lambda i: fixed_cost[i] - depreciation[i])
    non_current = pair(lambda i: long_term_investment[i] + fixed_net[i] + intangible[i])
    cash = pair(lambda i: liab_equity[i] - non_current[i] - total(current_assets, i))
    current = pair(lambda i: cash[i] + total(current_assets, i))
    assets = pair(lambda i: current[i] + non_current[i])
    assert assets == liab_equity and all(c > 0 for c in cash)

    def row(name, line, figures):
        return (name, line, figures[0], figures[1])

    left = ([("流动资产：", "", None, None), row("    货币资金", "1", cash)] + current_assets +
            [row("    流动资产合计", "8", current), ("非流动资产：", "", None, None),
             row("    长期股权投资", "9", long_term_investment),
             row("    固定资产原价", "10", fixed_cost), row("    减：累计折旧", "11", depreciation),
             row("    固定资产账面价值", "12", fixed_net), row("    无形资产", "13", intangible),
             row("    非流动资产合计", "14", non_current)])
    right = ([("流动负债：", "", None, None)] + liabilities +
             [row("    流动负债合计", "22", current_liab), ("非流动负债：", "", None, None),
              row("    长期借款", "23", long_term_loan), row("负债合计", "24", all_liab),
              ("所有者权益（或股东权益）：", "", None, None),
              row("    实收资本（或股本）", "25", paid_in), row("    资本公积", "26", capital_reserve),
              row("    盈余公积", "27", surplus_reserve), row("    未分配利润", "28", retained),
              row("    所有者权益合计", "29", equity)])
    blank = ("", "", None, None)
    while len(left) < len(right):
        left.append(blank)
    left.append(row("资产总计", "15", assets))
    right.append(row("负债和所有者权益总计", "30", liab_equity))

    s = Sheet()
    s.merged(1, 8, title)
    s.merged(1, 8, f"编制单位：{COMPANY}    2026年11月30日    单位：元")
    s.line("资      产", "行次", "年初数", "期末数", "负债和所有者权益", "行次", "年初数", "期末数")
    for (ln, ll, ls, le), (rn, rl, rs, re) in zip(left, right):
        s.line(ln, ll, amount(ls), amount(le), rn, rl, amount(rs), amount(re))
    s.merged(1, 8, "单位负责人：王建国    财务负责人：李秀梅    制表人：张晓燕")
    return s


def main():
    files = {
        MODEL / "国税申报" / "hxsyb.rep": national_income_statement(),
        MODEL / "国税申报" / "hxzcfzb.rep": balance_sheet("资 产 负 债 表"),
        MODEL / "财务申报" / "lrb.rep": financial_income_statement(),
        MODEL / "财务申报" / "lrbsn.rep": year_income_statement(),
        MODEL / "财务申报" / "zcfzb.rep": balance_sheet("资产负债表（会小企01表）"),
    }
    for path, sheet in files.items():
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(sheet.xml())
        print(f"wrote {path.relative_to(HERE)} ({len(sheet.cells)} cells)")


if __name__ == "__main__":
    main()

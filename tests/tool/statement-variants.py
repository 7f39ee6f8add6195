"""Statements made to the published formats, for the checks' table test
(show_statement_variants_test.cpp): each format's lines as it prints them,
its totals worked out from the format's own arithmetic (written here by
line, not read from the tool's rules), and figures that add up under it;
then, seeded, variants in the shapes templates print them (zero lines
hidden, cut after a numbered total, every numbering form, marks, bracket
and colon widths, blanks in names, 股东/所有者, zeros as 0.00, blank or "-",
thousands separators, 行次 gaps, GBK or UTF-8) and wrong statements (a
total over lines that are zero, a total that leaves out a line, a
consolidated split off, both balance totals off alike). Writes them all
to one file, each as a line "kind|format|expected format|totals' 行次|
shape|length" and the document's bytes:
    python3 statement-variants.py OUT [SEED [COUNT]]
"""
import random
import re
import sys

# A format is a list of lines "printed name#key" with how its amount is
# made: None, a figure of its own; "-", a figure of its own printed negative
# (a loss); "0", zero (a heading); or "+a-b..." over the keys of other lines.
# A line whose name starts with "~" only groups a sum and is not printed.
INCOME_2001 = [
    ("一、主营业务收入#1", None), ("减：主营业务成本#2", None), ("主营业务税金及附加#3", None),
    ("二、主营业务利润（亏损以“－”号填列）#4", "+1-2-3"),
    ("加：其他业务利润（亏损以“－”号填列）#5", None), ("减：营业费用#6", None),
    ("管理费用#7", None), ("财务费用#8", None),
    ("三、营业利润（亏损以“－”号填列）#9", "+4+5-6-7-8"),
    ("加：投资收益（损失以“－”号填列）#10", None), ("补贴收入#11", None), ("营业外收入#12", None),
    ("减：营业外支出#13", None), ("四、利润总额（亏损总额以“－”号填列）#14", "+9+10+11+12-13"),
    ("减：所得税#15", None), ("五、净利润（净亏损以“－”号填列）#16", "+14-15"),
]


def small_income(tax_name, business_tax):
    taxes = ["其中：消费税#4"] + (["营业税#5"] if business_tax else []) + [
        "城市维护建设税#6", "资源税#7", "土地增值税#8", "城镇土地使用税、房产税、车船税、印花税#9",
        "教育费附加、矿产资源补偿费、排污费#10"]
    return ([("一、营业收入#1", None), ("减：营业成本#2", None), (tax_name + "#3", None)] +
            [(t, None) for t in taxes] +
            [("销售费用#11", None), ("其中：商品维修费#12", None), ("广告费和业务宣传费#13", None),
             ("管理费用#14", None), ("其中：开办费#15", None), ("业务招待费#16", None),
             ("研究费用#17", None), ("财务费用#18", None),
             ("其中：利息费用（收入以“-”号填列）#19", None),
             ("加：投资收益（损失以“-”号填列）#20", None),
             ("二、营业利润（亏损以“-”号填列）#21", "+1-2-3-11-14-18+20"),
             ("加：营业外收入#22", None), ("其中：政府补助#23", None), ("减：营业外支出#24", None),
             ("其中：坏账损失#25", None), ("无法收回的长期债券投资损失#26", None),
             ("无法收回的长期股权投资损失#27", None), ("自然灾害等不可抗力因素造成的损失#28", None),
             ("税收滞纳金#29", None), ("三、利润总额（亏损总额以“-”号填列）#30", "+21+22-24"),
             ("减：所得税费用#31", None), ("四、净利润（净亏损以“-”号填列）#32", "+30-31")])


def after_operating_profit(profit):
    """营业外 to 净利润, keys from 51 on; 净利润 is #55."""
    return [("加：营业外收入#51", None), ("减：营业外支出#52", None),
            ("三、利润总额（亏损总额以“－”号填列）#53", "+%d+51-52" % profit),
            ("减：所得税费用#54", None), ("四、净利润（净亏损以“－”号填列）#55", "+53-54")]


CONTINUING = [("（一）持续经营净利润（净亏损以“－”号填列）#56", "+55-57"),
              ("（二）终止经营净利润（净亏损以“－”号填列）#57", None)]
EPS = [("七、每股收益：#90", "0"), ("（一）基本每股收益#91", None), ("（二）稀释每股收益#92", None)]

# Other comprehensive income, keys from 60 on; its total is #60.
OCI_2014 = [
    ("五、其他综合收益的税后净额#60", "+61+64"),
    ("（一）以后不能重分类进损益的其他综合收益#61", "+62+63"),
    ("1.重新计量设定受益计划净负债或净资产的变动#62", None),
    ("2.权益法下在被投资单位不能重分类进损益的其他综合收益中享有的份额#63", None),
    ("（二）以后将重分类进损益的其他综合收益#64", "+65+66+67+68+69"),
    ("1.权益法下在被投资单位以后将重分类进损益的其他综合收益中享有的份额#65", None),
    ("2.可供出售金融资产公允价值变动损益#66", None),
    ("3.持有至到期投资重分类为可供出售金融资产损益#67", None),
    ("4.现金流量套期损益的有效部分#68", None), ("5.外币财务报表折算差额#69", None)]
OCI_UNREVISED = [
    ("五、其他综合收益的税后净额#60", "+61+64"),
    ("（一）不能重分类进损益的其他综合收益#61", "+62+63"),
    ("1.重新计量设定受益计划变动额#62", None), ("2.权益法下不能转损益的其他综合收益#63", None),
    ("（二）将重分类进损益的其他综合收益#64", "+65+66+67+68+69"),
    ("1.权益法下可转损益的其他综合收益#65", None), ("2.可供出售金融资产公允价值变动损益#66", None),
    ("3.持有至到期投资重分类为可供出售金融资产损益#67", None),
    ("4.现金流量套期损益的有效部分#68", None), ("5.外币财务报表折算差额#69", None)]


def oci_new(own_credit=True, head="五、其他综合收益的税后净额#60", marks=("（一）", "（二）", "")):
    """Other comprehensive income under the new financial instrument
    standards; with own_credit the 企业自身信用风险 line among the part not
    reclassified."""
    first, second, sub = marks
    return [(head, "+61+66"),
            (first + "不能重分类进损益的其他综合收益#61", "+62+63+64" + ("+65" if own_credit else "")),
            (sub + "1.重新计量设定受益计划变动额#62", None),
            (sub + "2.权益法下不能转损益的其他综合收益#63", None),
            (sub + "3.其他权益工具投资公允价值变动#64", None)] + (
        [(sub + "4.企业自身信用风险公允价值变动#65", None)] if own_credit else []) + [
            (second + "将重分类进损益的其他综合收益#66", "+67+68+69+70+71+72"),
            (sub + "1.权益法下可转损益的其他综合收益#67", None),
            (sub + "2.其他债权投资公允价值变动#68", None),
            (sub + "3.金融资产重分类计入其他综合收益的金额#69", None),
            (sub + "4.其他债权投资信用减值准备#70", None),
            (sub + "5.现金流量套期储备#71", None), (sub + "6.外币财务报表折算差额#72", None)]


TOTAL = [("六、综合收益总额#80", "+55+60")]
EXPENSES = [("一、营业收入#1", None), ("减：营业成本#2", None), ("税金及附加#3", None),
            ("销售费用#4", None), ("管理费用#5", None)]
BEFORE_2017 = EXPENSES + [
    ("财务费用#7", None), ("资产减值损失#10", None),
    ("加：公允价值变动收益（损失以“－”号填列）#16", None),
    ("投资收益（损失以“－”号填列）#13", None), ("其中：对联营企业和合营企业的投资收益#14", None)]
INCOME_2006 = BEFORE_2017 + [
    ("二、营业利润（亏损以“－”号填列）#20", "+1-2-3-4-5-7-10+16+13"),
    ("加：营业外收入#51", None), ("其中：非流动资产处置利得#58", None), ("减：营业外支出#52", None),
    ("其中：非流动资产处置损失#59", None)] + after_operating_profit(20)[2:]
INCOME_2006_AMENDED = INCOME_2006 + OCI_2014 + TOTAL + EPS
INCOME_2017 = BEFORE_2017 + [
    ("资产处置收益（损失以“－”号填列）#17", None), ("其他收益#12", None),
    ("二、营业利润（亏损以“－”号填列）#20", "+1-2-3-4-5-7-10+16+13+17+12")
] + after_operating_profit(20) + CONTINUING + OCI_2014 + TOTAL + EPS
RESEARCH = EXPENSES + [("研发费用#6", None), ("财务费用#7", None), ("其中：利息费用#8", None),
                       ("利息收入#9", None)]
INCOME_2018 = RESEARCH + [
    ("资产减值损失#10", None), ("信用减值损失#11", None), ("加：其他收益#12", None),
    ("投资收益（损失以“－”号填列）#13", None), ("其中：对联营企业和合营企业的投资收益#14", None),
    ("净敞口套期收益（损失以“－”号填列）#15", None),
    ("公允价值变动收益（损失以“－”号填列）#16", None),
    ("资产处置收益（损失以“－”号填列）#17", None),
    ("二、营业利润（亏损以“－”号填列）#20", "+1-2-3-4-5-6-7-10-11+12+13+15+16+17")
] + after_operating_profit(20) + CONTINUING + oci_new() + TOTAL + EPS
INCOME_2018_UNREVISED = RESEARCH + [
    ("资产减值损失#10", None), ("加：其他收益#12", None),
    ("投资收益（损失以“－”号填列）#13", None), ("其中：对联营企业和合营企业的投资收益#14", None),
    ("公允价值变动收益（损失以“－”号填列）#16", None),
    ("资产处置收益（损失以“－”号填列）#17", None),
    ("二、营业利润（亏损以“－”号填列）#20", "+1-2-3-4-5-6-7-10+12+13+16+17")
] + after_operating_profit(20) + CONTINUING + OCI_UNREVISED + TOTAL + EPS
INCOME_2019_PROFIT = RESEARCH + [
    ("加：其他收益#12", None), ("投资收益（损失以“-”号填列）#13", None),
    ("其中：对联营企业和合营企业的投资收益#14", None),
    ("以摊余成本计量的金融资产终止确认收益（损失以“-”号填列）#18", None),
    ("净敞口套期收益（损失以“-”号填列）#15", None),
    ("公允价值变动收益（损失以“-”号填列）#16", None),
    ("信用减值损失（损失以“-”号填列）#11", "-"), ("资产减值损失（损失以“-”号填列）#10", "-"),
    ("资产处置收益（损失以“-”号填列）#17", None),
    ("二、营业利润（亏损以“-”号填列）#20", "+1-2-3-4-5-6-7+12+13+15+16+11+10+17")
] + after_operating_profit(20)
INCOME_2019 = INCOME_2019_PROFIT + CONTINUING + oci_new() + TOTAL + EPS
INCOME_2019_NO_OWN_CREDIT = INCOME_2019_PROFIT + CONTINUING + oci_new(False) + TOTAL + EPS
INCOME_2019_UNREVISED = RESEARCH + [
    ("加：其他收益#12", None), ("投资收益（损失以“-”号填列）#13", None),
    ("其中：对联营企业和合营企业的投资收益#14", None),
    ("公允价值变动收益（损失以“-”号填列）#16", None),
    ("资产减值损失（损失以“-”号填列）#10", "-"), ("资产处置收益（损失以“-”号填列）#17", None),
    ("二、营业利润（亏损以“-”号填列）#20", "+1-2-3-4-5-6-7+12+13+16+10+17")
] + after_operating_profit(20) + CONTINUING + OCI_UNREVISED + TOTAL + EPS
INCOME_CONSOLIDATED = INCOME_2019_PROFIT + [
    ("（一）按经营持续性分类#40", "0"), ("1.持续经营净利润（净亏损以“-”号填列）#56", "+55-57"),
    ("2.终止经营净利润（净亏损以“-”号填列）#57", None), ("（二）按所有权归属分类#41", "0"),
    ("1.归属于母公司股东的净利润（净亏损以“-”号填列）#42", "+55-43"),
    ("2.少数股东损益（净亏损以“-”号填列）#43", None),
    ("五、其他综合收益的税后净额#44", "+60+45")] + oci_new(
        True, "（一）归属母公司所有者的其他综合收益的税后净额#60", ("1.", "2.", "")) + [
    ("（二）归属于少数股东的其他综合收益的税后净额#45", None),
    ("六、综合收益总额#80", "+55+44"),
    ("（一）归属于母公司所有者的综合收益总额#81", "+80-82"),
    ("（二）归属于少数股东的综合收益总额#82", None)] + EPS

# Balance sheets: the assets, then liabilities and owners' equity.
GENERAL_ASSETS = ["货币资金", "交易性金融资产", "衍生金融资产", "应收票据", "应收账款", "应收款项融资",
                  "预付款项", "其他应收款", "存货", "合同资产", "持有待售资产", "一年内到期的非流动资产",
                  "其他流动资产"]
GENERAL_FIXED = ["债权投资", "其他债权投资", "长期应收款", "长期股权投资", "其他权益工具投资",
                 "其他非流动金融资产", "投资性房地产", "固定资产", "在建工程", "生产性生物资产", "油气资产",
                 "使用权资产", "无形资产", "开发支出", "商誉", "长期待摊费用", "递延所得税资产", "其他非流动资产"]
GENERAL_CURRENT = ["短期借款", "交易性金融负债", "衍生金融负债", "应付票据", "应付账款", "预收款项",
                   "合同负债", "应付职工薪酬", "应交税费", "其他应付款", "持有待售负债",
                   "一年内到期的非流动负债", "其他流动负债"]
GENERAL_LONG = ["长期借款", "应付债券", "其中：优先股", "永续债", "租赁负债", "长期应付款", "预计负债",
                "递延收益", "递延所得税负债", "其他非流动负债"]
# Parts of the line above them, in no sum.
PARTS = ("其中：优先股", "永续债", "其中：原材料", "在产品", "库存商品", "周转材料")


def sheet(groups, equity, equity_total, parent=None, parts=PARTS,
          grand="负债和所有者权益（或股东权益）总计"):
    """Lines of a balance sheet from groups (leaf names or "a|b" totals, and
    the group's total), the equity lines and their total. A leaf "减：X" is
    subtracted. The last equity line is 未分配利润, made so that the sheet
    balances; with `parent`, the parent's equity and 少数股东权益 make the
    total."""
    lines, totals = [], {}

    def add(name, how):
        lines.append(("%s#%d" % (name, len(lines) + 1), how))
        return len(lines)

    def group(leaves):
        terms = ""
        for leaf in leaves:
            key = add(leaf, None)
            if leaf not in parts:
                terms += ("-%d" if leaf.startswith("减：") else "+%d") % key
        return terms

    for leaves, total in groups:
        if isinstance(leaves, str):
            totals[total] = add(total, "".join("+%d" % totals[t] for t in leaves.split("|")))
        else:
            totals[total] = add(total, group(leaves))
    others = group(equity[:-1])
    negated = others.replace("+", "*").replace("-", "+").replace("*", "-")
    # With `parent`, 少数股东权益 comes two lines after 未分配利润.
    minority = "-%d" % (len(lines) + 3) if parent else ""
    retained = add(equity[-1], "+%d-%d%s%s" % (totals["资产总计"], totals["负债合计"], negated, minority))
    if parent:
        own = add(parent, others + "+%d" % retained)
        total = add(equity_total, "+%d+%d" % (own, add("少数股东权益", None)))
    else:
        total = add(equity_total, others + "+%d" % retained)
    add(grand, "+%d+%d" % (totals["负债合计"], total))
    return lines


GENERAL_EQUITY = ["实收资本（或股本）", "其他权益工具", "其中：优先股", "永续债", "资本公积", "减：库存股",
                  "其他综合收益", "专项储备", "盈余公积"]
GENERAL_GROUPS = [(GENERAL_ASSETS, "流动资产合计"), (GENERAL_FIXED, "非流动资产合计"),
                  ("流动资产合计|非流动资产合计", "资产总计"), (GENERAL_CURRENT, "流动负债合计"),
                  (GENERAL_LONG, "非流动负债合计"), ("流动负债合计|非流动负债合计", "负债合计")]
BALANCE_GENERAL = sheet(GENERAL_GROUPS, GENERAL_EQUITY + ["未分配利润"],
                        "所有者权益（或股东权益）合计")
BALANCE_CONSOLIDATED = sheet(GENERAL_GROUPS, GENERAL_EQUITY + ["一般风险准备", "未分配利润"],
                             "所有者权益（或股东权益）合计",
                             "归属于母公司所有者权益（或股东权益）合计")
BALANCE_UNREVISED = sheet(
    [(["货币资金", "以公允价值计量且其变动计入当期损益的金融资产", "衍生金融资产", "应收票据", "应收账款",
       "预付款项", "其他应收款", "存货", "持有待售资产", "一年内到期的非流动资产", "其他流动资产"],
      "流动资产合计"),
     (["可供出售金融资产", "持有至到期投资", "长期应收款", "长期股权投资", "投资性房地产", "固定资产",
       "在建工程", "生产性生物资产", "油气资产", "无形资产", "开发支出", "商誉", "长期待摊费用",
       "递延所得税资产", "其他非流动资产"], "非流动资产合计"),
     ("流动资产合计|非流动资产合计", "资产总计"),
     (["短期借款", "以公允价值计量且其变动计入当期损益的金融负债", "衍生金融负债", "应付票据", "应付账款",
       "预收款项", "应付职工薪酬", "应交税费", "其他应付款", "持有待售负债", "一年内到期的非流动负债",
       "其他流动负债"], "流动负债合计"),
     (["长期借款", "应付债券", "其中：优先股", "永续债", "长期应付款", "预计负债", "递延收益",
       "递延所得税负债", "其他非流动负债"], "非流动负债合计"),
     ("流动负债合计|非流动负债合计", "负债合计")],
    GENERAL_EQUITY + ["未分配利润"], "所有者权益（或股东权益）合计")
# 财会〔2018〕15号: receivables and payables of bills and accounts one line
# each, interest and dividends parts of the other receivables and payables.
PARTS_2018 = PARTS + ("其中：应收利息", "应收股利", "其中：应付利息", "应付股利")
RECEIVABLES_2018 = ["应收票据及应收账款", "预付款项", "其他应收款", "其中：应收利息", "应收股利", "存货"]
PAYABLES_2018 = ["应付票据及应付账款", "预收款项"]
OTHER_PAYABLES_2018 = ["应付职工薪酬", "应交税费", "其他应付款", "其中：应付利息", "应付股利",
                       "持有待售负债", "一年内到期的非流动负债", "其他流动负债"]
LONG_2018 = ["长期借款", "应付债券", "其中：优先股", "永续债", "长期应付款", "预计负债", "递延收益",
             "递延所得税负债", "其他非流动负债"]
BALANCE_2018 = sheet(
    [(["货币资金", "交易性金融资产", "衍生金融资产"] + RECEIVABLES_2018 +
      ["合同资产", "持有待售资产", "一年内到期的非流动资产", "其他流动资产"], "流动资产合计"),
     ([n for n in GENERAL_FIXED if n != "使用权资产"], "非流动资产合计"),
     ("流动资产合计|非流动资产合计", "资产总计"),
     (["短期借款", "交易性金融负债", "衍生金融负债"] + PAYABLES_2018 + ["合同负债"] +
      OTHER_PAYABLES_2018, "流动负债合计"),
     (LONG_2018, "非流动负债合计"), ("流动负债合计|非流动负债合计", "负债合计")],
    GENERAL_EQUITY + ["未分配利润"], "所有者权益（或股东权益）合计", parts=PARTS_2018)
BALANCE_2018_UNREVISED = sheet(
    [(["货币资金", "以公允价值计量且其变动计入当期损益的金融资产", "衍生金融资产"] + RECEIVABLES_2018 +
      ["持有待售资产", "一年内到期的非流动资产", "其他流动资产"], "流动资产合计"),
     (["可供出售金融资产", "持有至到期投资", "长期应收款", "长期股权投资", "投资性房地产", "固定资产",
       "在建工程", "生产性生物资产", "油气资产", "无形资产", "开发支出", "商誉", "长期待摊费用",
       "递延所得税资产", "其他非流动资产"], "非流动资产合计"),
     ("流动资产合计|非流动资产合计", "资产总计"),
     (["短期借款", "以公允价值计量且其变动计入当期损益的金融负债", "衍生金融负债"] + PAYABLES_2018 +
      OTHER_PAYABLES_2018, "流动负债合计"),
     (LONG_2018, "非流动负债合计"), ("流动负债合计|非流动负债合计", "负债合计")],
    GENERAL_EQUITY + ["未分配利润"], "所有者权益（或股东权益）合计", parts=PARTS_2018)
BALANCE_2017 = sheet(
    [(["货币资金", "以公允价值计量且其变动计入当期损益的金融资产", "衍生金融资产", "应收票据", "应收账款",
       "预付款项", "应收利息", "应收股利", "其他应收款", "存货", "持有待售资产", "一年内到期的非流动资产",
       "其他流动资产"], "流动资产合计"),
     (["可供出售金融资产", "持有至到期投资", "长期应收款", "长期股权投资", "投资性房地产", "固定资产",
       "在建工程", "工程物资", "固定资产清理", "生产性生物资产", "油气资产", "无形资产", "开发支出", "商誉",
       "长期待摊费用", "递延所得税资产", "其他非流动资产"], "非流动资产合计"),
     ("流动资产合计|非流动资产合计", "资产总计"),
     (["短期借款", "以公允价值计量且其变动计入当期损益的金融负债", "衍生金融负债", "应付票据", "应付账款",
       "预收款项", "应付职工薪酬", "应交税费", "应付利息", "应付股利", "其他应付款", "持有待售负债",
       "一年内到期的非流动负债", "其他流动负债"], "流动负债合计"),
     (["长期借款", "应付债券", "其中：优先股", "永续债", "长期应付款", "专项应付款", "预计负债", "递延收益",
       "递延所得税负债", "其他非流动负债"], "非流动负债合计"),
     ("流动负债合计|非流动负债合计", "负债合计")],
    GENERAL_EQUITY + ["未分配利润"], "所有者权益（或股东权益）合计")
BALANCE_SMALL = sheet(
    [(["货币资金", "短期投资", "应收票据", "应收账款", "预付账款", "应收股利", "应收利息", "其他应收款",
       "存货", "其中：原材料", "在产品", "库存商品", "周转材料", "其他流动资产"], "流动资产合计"),
     (["长期债券投资", "长期股权投资"], "~长期投资"),
     (["固定资产原价", "减：累计折旧"], "固定资产账面价值"),
     (["在建工程", "工程物资", "固定资产清理", "生产性生物资产", "无形资产", "开发支出", "长期待摊费用",
       "其他非流动资产"], "~其他长期资产"),
     ("~长期投资|固定资产账面价值|~其他长期资产", "非流动资产合计"),
     ("流动资产合计|非流动资产合计", "资产总计"),
     (["短期借款", "应付票据", "应付账款", "预收账款", "应付职工薪酬", "应交税费", "应付利息", "应付利润",
       "其他应付款", "其他流动负债"], "流动负债合计"),
     (["长期借款", "长期应付款", "递延收益", "其他非流动负债"], "非流动负债合计"),
     ("流动负债合计|非流动负债合计", "负债合计")],
    ["实收资本（或股本）", "资本公积", "盈余公积", "未分配利润"], "所有者权益（或股东权益）合计")

BALANCE_2006 = sheet(
    [(["货币资金", "交易性金融资产", "应收票据", "应收账款", "预付款项", "应收利息", "应收股利", "其他应收款",
       "存货", "一年内到期的非流动资产", "其他流动资产"], "流动资产合计"),
     (["可供出售金融资产", "持有至到期投资", "长期应收款", "长期股权投资", "投资性房地产", "固定资产", "在建工程",
       "工程物资", "固定资产清理", "生产性生物资产", "油气资产", "无形资产", "开发支出", "商誉", "长期待摊费用",
       "递延所得税资产", "其他非流动资产"], "非流动资产合计"),
     ("流动资产合计|非流动资产合计", "资产总计"),
     (["短期借款", "交易性金融负债", "应付票据", "应付账款", "预收款项", "应付职工薪酬", "应交税费", "应付利息",
       "应付股利", "其他应付款", "一年内到期的非流动负债", "其他流动负债"], "流动负债合计"),
     (["长期借款", "应付债券", "长期应付款", "专项应付款", "预计负债", "递延所得税负债", "其他非流动负债"],
      "非流动负债合计"),
     ("流动负债合计|非流动负债合计", "负债合计")],
    ["实收资本（或股本）", "资本公积", "减：库存股", "盈余公积", "未分配利润"], "所有者权益（或股东权益）合计")
# The filing templates' two-sided short form (国税申报 hxzcfzb.rep, 财务申报 zcfzb.rep).
BALANCE_FILING = sheet(
    [(["货币资金", "短期投资", "应收票据", "应收账款", "预付账款", "其他应收款", "存货"], "流动资产合计"),
     (["长期股权投资"], "~股权"), (["固定资产原价", "减：累计折旧"], "固定资产账面价值"), (["无形资产"], "~无形"),
     ("~股权|固定资产账面价值|~无形", "非流动资产合计"), ("流动资产合计|非流动资产合计", "资产总计"),
     (["短期借款", "应付账款", "预收账款", "应付职工薪酬", "应交税费", "其他应付款"], "流动负债合计"),
     (["长期借款"], "~长期"), ("流动负债合计|~长期", "负债合计")],
    ["实收资本（或股本）", "资本公积", "盈余公积", "未分配利润"], "所有者权益合计", grand="负债和所有者权益总计")
# Statements of other kinds: 民间非营利组织 (财会〔2004〕7号) and 事业单位 (财会〔2012〕22号).
BALANCE_NONPROFIT = sheet(
    [(["货币资金", "短期投资", "应收款项", "预付账款", "存货", "待摊费用", "一年内到期的长期债权投资", "其他流动资产"],
      "流动资产合计"), (["长期股权投资", "长期债权投资"], "长期投资合计"),
     (["固定资产原价", "减：累计折旧"], "固定资产净值"), (["在建工程", "文物文化资产", "固定资产清理"], "~固定"),
     ("固定资产净值|~固定", "固定资产合计"), (["无形资产"], "~无形"), (["受托代理资产"], "~受托"),
     ("流动资产合计|长期投资合计|固定资产合计|~无形|~受托", "资产总计"),
     (["短期借款", "应付款项", "应付工资", "应交税金", "预收账款", "预提费用", "预计负债", "一年内到期的长期负债",
       "其他流动负债"], "流动负债合计"), (["长期借款", "长期应付款", "其他长期负债"], "长期负债合计"),
     (["受托代理负债"], "~受托负债"), ("流动负债合计|长期负债合计|~受托负债", "负债合计")],
    ["非限定性净资产", "限定性净资产"], "净资产合计", grand="负债和净资产总计")
BALANCE_PUBLIC = sheet(
    [(["货币资金", "短期投资", "财政应返还额度", "应收票据", "应收账款", "预付账款", "其他应收款", "存货",
       "其他流动资产"], "流动资产合计"),
     (["长期投资", "固定资产", "固定资产原价", "减：累计折旧", "在建工程", "无形资产", "无形资产原价", "减：累计摊销",
       "待处置资产损溢"], "非流动资产合计"), ("流动资产合计|非流动资产合计", "资产总计"),
     (["短期借款", "应缴税费", "应缴国库款", "应缴财政专户款", "应付职工薪酬", "应付票据", "应付账款", "预收账款",
       "其他应付款"], "流动负债合计"), (["长期借款", "长期应付款"], "非流动负债合计"),
     ("流动负债合计|非流动负债合计", "负债合计")],
    ["事业基金", "非流动资产基金", "专用基金", "财政补助结转", "财政补助结余", "非财政补助结转", "非财政补助结余"],
    "净资产合计", parts=PARTS + ("固定资产原价", "减：累计折旧", "无形资产原价", "减：累计摊销"),
    grand="负债和净资产总计")
ACTIVITIES_NONPROFIT = [
    ("一、收入#1", "0"), ("其中：捐赠收入#2", None), ("会费收入#3", None), ("提供服务收入#4", None),
    ("政府补助收入#5", None), ("商品销售收入#6", None), ("投资收益#7", None), ("其他收入#8", None),
    ("收入合计#9", "+2+3+4+5+6+7+8"), ("二、费用#10", "0"), ("（一）业务活动成本#11", None),
    ("（二）管理费用#12", None), ("（三）筹资费用#13", None), ("（四）其他费用#14", None),
    ("费用合计#15", "+11+12+13+14"), ("三、限定性净资产转为非限定性净资产#16", None),
    ("四、净资产变动额（若为净资产减少额，以“－”号填列）#17", "+9-15+16")]

INCOME, BALANCE = ("SB_SYB", ("BYS", "BNLJ")), ("SB_ZCFZB", ("NCS", "QMS"))
YEARS = ("SB_SYB", ("BNLJ", "SNS"))
FORMATS = [  # name, section and amount elements, lines, the format that must judge it ("" another kind)
    ("national-tax-2001", INCOME, INCOME_2001, "财会〔2000〕25号 企业会计制度 利润表"),
    ("small-2011", INCOME, small_income("营业税金及附加", True), "财会〔2011〕17号 小企业会计准则 利润表（会小企02表）"),
    ("small-2016", INCOME, small_income("税金及附加", False), "财会〔2011〕17号 小企业会计准则 利润表（会小企02表）"),
    ("general-2006", YEARS, INCOME_2006, "财会〔2006〕18号 企业会计准则 利润表（会企02表）"),
    ("general-2014", YEARS, INCOME_2006_AMENDED, "财会〔2014〕7号 利润表（会企02表）"),
    ("general-2017", YEARS, INCOME_2017, "财会〔2017〕30号 利润表（会企02表）"),
    ("general-2018", YEARS, INCOME_2018, "财会〔2018〕15号 附件1 利润表"),
    ("general-2018-unrevised", YEARS, INCOME_2018_UNREVISED, "财会〔2018〕15号 附件2 利润表"),
    ("general-2019", YEARS, INCOME_2019, "财会〔2019〕6号 附件1 利润表"),
    ("general-2019-unrevised", YEARS, INCOME_2019_UNREVISED, "财会〔2019〕6号 附件2 利润表"),
    ("consolidated-2019", YEARS, INCOME_CONSOLIDATED, "财会〔2019〕16号 合并利润表"),
    ("filing-balance-sheet", BALANCE, BALANCE_FILING,
     "申报模板 资产负债表（国税申报 hxzcfzb.rep, 财务申报 zcfzb.rep）"),
    ("small-balance-sheet", BALANCE, BALANCE_SMALL, "财会〔2011〕17号 小企业会计准则 资产负债表（会小企01表）"),
    ("general-2006-balance-sheet", BALANCE, BALANCE_2006, "财会〔2006〕18号 企业会计准则 资产负债表（会企01表）"),
    ("general-2017-balance-sheet", BALANCE, BALANCE_2017, "财会〔2017〕30号 资产负债表（会企01表）"),
    ("general-2018-balance-sheet", BALANCE, BALANCE_2018, "财会〔2018〕15号 附件1 资产负债表"),
    ("general-2018-unrevised-balance-sheet", BALANCE, BALANCE_2018_UNREVISED, "财会〔2018〕15号 附件2 资产负债表"),
    ("general-2019-balance-sheet", BALANCE, BALANCE_GENERAL, "财会〔2019〕6号 附件1 资产负债表"),
    ("general-2019-unrevised-balance-sheet", BALANCE, BALANCE_UNREVISED, "财会〔2019〕6号 附件2 资产负债表"),
    ("consolidated-2019-balance-sheet", BALANCE, BALANCE_CONSOLIDATED, "财会〔2019〕16号 合并资产负债表"),
    ("nonprofit-balance-sheet", BALANCE, BALANCE_NONPROFIT, ""),
    ("public-institution-balance-sheet", BALANCE, BALANCE_PUBLIC, ""),
    ("nonprofit-activities", INCOME, ACTIVITIES_NONPROFIT, ""),
]
# Lines only some enterprises print: left out, they are zero.
OPTIONAL_LINES = ("企业自身信用风险公允价值变动", "一般风险准备")


def terms_of(made):
    """[(sign, key)] of a formula "+a-b"."""
    return [(1 if t[0] == "+" else -1, t[1:]) for t in re.findall(r"[+-][^+-]+", made)]


def figures(how, rng, zero=()):
    """Each line's cents by key, for one column; the keys in `zero` are 0."""
    value = {}

    def of(key):
        if key not in value:
            made = how[key]
            if key in zero or made == "0":
                value[key] = 0
            elif made in (None, "-"):
                value[key] = rng.randrange(1000, 50000000) * (-1 if made == "-" else 1)
            else:
                value[key] = sum(sign * of(k) for sign, k in terms_of(made))
        return value[key]

    return {key: of(key) for key in how}


CHINESE = "一二三四五六七八九十"
NUMBERINGS = [  # the forms of each level's numbering that templates print
    ["{c}、", "{c}.", "{c}．", "{r}、", "{n}.", "{n}、", "{p}", "{o}"],
    ["（{c}）", "({c})", "{p}", "{o}", "{n})", "({n})", "（{n}）"],
    ["{n}.", "{n}、", "{n})", "{o}", "{n}．", "({n})"]]
LEVELS = [r"^([一二三四五六七八九十]+)、", r"^[（(]([一二三四五六七八九十]+)[）)]", r"^(\d+)[.．]"]


def numbered(name, styles):
    """The name with its numbering in the variant's forms."""
    for level, pattern in enumerate(LEVELS):
        found = re.match(pattern, name)
        if not found:
            continue
        text = found.group(1)
        n = int(text) if text.isdigit() else (
            CHINESE.index(text) + 1 if len(text) == 1 else 10 + CHINESE.index(text[1]) + 1)
        form = styles[level].format(c=text if not text.isdigit() else CHINESE[n - 1], n=n,
                                    r=chr(0x215F + n), p=chr(0x2473 + n), o=chr(0x245F + n))
        return form + name[found.end():]
    return name


def rendered_name(name, made, shape, rng):
    name = numbered(name, shape["numbering"])
    if shape["no notes"] and made not in (None, "-", "0"):
        name = re.sub(r"（[^（）]*亏损[^（）]*）", "", name)
    if name.endswith("财务费用") and shape["expense note"]:
        name += "（收益以“－”号填列）"
    if shape["marks"] and (rng.random() < 0.1 or "一般风险准备" in name):
        name = rng.choice("△▲*#") + name
    if shape["owners"]:
        name = name.replace(*shape["owners"])
    if shape["half width"]:
        name = name.translate(str.maketrans("（）：", "():"))
    if shape["spaces"]:
        at = rng.randrange(len(name) + 1)
        name = name[:at] + rng.choice(" 　") + name[at:]
    return name


def amount(cents, shape, rng):
    if cents == 0:
        return rng.choice(shape["zeros"])
    text = "%s%d.%02d" % ("-" if cents < 0 else "", abs(cents) // 100, abs(cents) % 100)
    return "{:,.2f}".format(cents / 100) if shape["thousands"] and abs(cents) < 10 ** 15 else text


def document(section, columns, rows, shape):
    """The filing document's bytes: rows of (行次, name, [amount texts])."""
    items = ""
    for line, name, amounts in rows:
        items += "<{0}_XM><{0}_LC>{1}</{0}_LC><{0}_XMMC>{2}</{0}_XMMC>".format(section, line, name)
        items += "".join("<{0}_{1}>{2}</{0}_{1}>".format(section, c, a) for c, a in zip(columns, amounts))
        items += "</%s_XM>" % section
    if columns[1] == "SNS":  # the year and prior-year layout holds its lines in a block
        items = "<SB_SYB_BCZL>%s</SB_SYB_BCZL>" % items
    encoding = shape["encoding"]
    return ('<?xml version="1.0" encoding="{3}"?><DZSBB><{0}><{0}_MXXX>{1}</{0}_MXXX></{0}>'
            '</DZSBB>'.format(section, items, "", encoding.upper())).encode(encoding)


def shape_of(rng, wrong, section):
    chance = lambda p: rng.random() < p  # noqa: E731
    return {
        "numbering": [rng.choice(forms) for forms in NUMBERINGS] if chance(0.6) else
        [NUMBERINGS[0][0], NUMBERINGS[1][0], NUMBERINGS[2][0]],
        "no notes": chance(0.3), "expense note": chance(0.3), "marks": chance(0.2),
        "owners": rng.choice([None, None, ("所有者", "股东"), ("股东", "所有者")]),
        "half width": chance(0.3), "spaces": chance(0.2),
        "zeros": rng.choice([["0.00"], [""], ["-"], ["0.00", "", "-", "0"]]),
        "thousands": chance(0.3), "gaps": chance(0.3), "encoding": rng.choice(["gbk", "utf-8"]),
        "zero lines": chance(0.5) and wrong != "zero-lines", "hide zero lines": chance(0.4) and not wrong,
        "drop optional": chance(0.5), "new company": chance(0.15),
        "cut": chance(0.25) and not wrong and section == "SB_SYB",
        "own line": chance(0.2) and not wrong,
    }


def variant(lines, section, columns, rng, wrong=None):
    """One variant: (kind, its shape's words, document bytes, 行次 of its totals)."""
    how = {entry.rsplit("#", 1)[1]: made for entry, made in lines}
    printed = [tuple(entry.rsplit("#", 1)) for entry, _ in lines if entry[0] != "~"]
    named = dict((key, name) for name, key in printed)
    leaves = [k for k, m in how.items() if m in (None, "-") and k in named]
    shape = shape_of(rng, wrong, section)
    zero = {k for k in leaves if shape["zero lines"] and rng.random() < 0.3}
    dropped = {k for k in leaves if shape["drop optional"] and any(o in named[k] for o in OPTIONAL_LINES)}
    zero |= dropped
    totals = [k for k, m in how.items() if m not in (None, "-", "0") and k in named]
    column = rng.randrange(len(columns))
    own = None
    if shape["own line"]:  # a line of the office's own, added into the total below it
        order = [key for _, key in printed]
        sums = [k for k in totals if "未分配利润" not in named[k] and "持续经营" not in named[k] and
                not named[k].startswith("负债和") and "权益" not in named[k] and
                all(t in order and order.index(t) < order.index(k) and "未分配利润" not in named.get(t, "")
                    for _, t in terms_of(how[k]))]
        own = rng.choice(sums)
        printed.insert(order.index(own), (rng.choice(["其他（本单位）", "6.其他", "汇兑收益"]), "own"))
        how["own"], leaves = None, leaves + ["own"]
        how[own] += "+own"
    if wrong == "left-out":  # a total that leaves out a line it should add
        printable = [k for k in leaves if k not in dropped]
        total = rng.choice([k for k in totals if any(t in printable for _, t in terms_of(how[k]))])
        out = rng.choice([t for _, t in terms_of(how[total]) if t in printable])
        how[total] = "".join(("+" if s > 0 else "-") + t for s, t in terms_of(how[total]) if t != out)
        zero.discard(out)
    values = [figures(how, rng, zero) for _ in columns]
    if wrong == "zero-lines":  # a total over lines that are all zero
        total = rng.choice([k for k in totals if all(t in leaves for _, t in terms_of(how[k]))])
        for _, t in terms_of(how[total]):
            values[column][t] = 0
        values[column][total] = values[column][total] or 100
    elif wrong == "split-off":
        values[column][next(k for k in how if "少数股东损益" in named.get(k, ""))] += 500000
    elif wrong == "both-totals":
        for k in how:
            if named.get(k, "").startswith(("资产总计", "负债和所有者权益")):
                values[column][k] += 100000
    if shape["new company"] and section == "SB_ZCFZB" and not wrong:
        values[0] = {k: 0 for k in values[0]}
    rows, words, line = [], [], 0
    for name, key in printed:
        if key in dropped or (shape["hide zero lines"] and all(v[key] == 0 for v in values)):
            continue
        line += rng.randrange(1, 4) if shape["gaps"] else 1
        rows.append((line, key, rendered_name(name, how[key], shape, rng),
                     [amount(v[key], shape, rng) for v in values]))
    cut_at = [i for i, (_, key, name, _) in enumerate(rows)
              if how[key] not in (None, "-", "0") and re.match("^[一二三四五六七八九十]+、", named[key])]
    if shape["cut"] and section == "SB_SYB" and cut_at:
        rows = rows[:rng.choice(cut_at) + 1]
    words = [w for w in ("own line", "zero lines", "hide zero lines", "cut", "no notes", "expense note", "marks",
                         "half width", "spaces", "thousands", "gaps", "new company") if shape[w]]
    words += [shape["encoding"], "zeros as %r" % shape["zeros"],
              "numbering " + "/".join(f.format(c="一", n=1, r="Ⅰ", p="⑴", o="①") for f in shape["numbering"])]
    if dropped:
        words.append("optional lines left out")
    hidden = len(rows) < len(printed)
    kind = "wrong" if wrong else ("partial" if shape["cut"] and cut_at and section == "SB_SYB" else
                                  "hidden" if hidden or dropped else "complete")
    body = document(section, columns, [(l, n, a) for l, _, n, a in rows], shape)
    # The totals a check can see: those with a line they add, or that are a line of a total.
    there = {key for _, key, _, _ in rows}
    seen = {t for k in there if how[k] not in (None, "-", "0") for _, t in terms_of(how[k])}
    # (A line of the office's own may leave any of the sums around it not
    # compared.)
    totals = [l for l, key, _, _ in rows if how[key] not in (None, "-", "0") and not own and
              (key in seen or any(t in there for _, t in terms_of(how[key])))]
    return kind, ", ".join(words), body, totals


def main():
    rng = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else 45)
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 90
    with open(sys.argv[1], "wb") as out:
        for name, (section, columns), lines, expected in FORMATS:
            wrongs = [] if not expected else ["zero-lines", "left-out", "both-totals"] * 2 if \
                section == "SB_ZCFZB" else ["zero-lines", "left-out"] * 3
            if "少数股东损益" in str(lines):
                wrongs += ["split-off"] * 4
            for wrong in [None] * count + wrongs:
                kind, words, body, totals = variant(lines, section, columns, rng, wrong)
                totals = totals if expected and not wrong else []
                head = "|".join([kind if expected else "other", name, expected,
                                 " ".join(map(str, totals)), (wrong or "") + " " + words, str(len(body))])
                out.write(head.encode("utf-8") + b"\n" + body + b"\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())

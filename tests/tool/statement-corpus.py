"""Statements made to the published formats, for the show tests: each
format's lines as it prints them, its totals worked out from the format's
own arithmetic (written here by line, not read from the tool's rules), and
figures that add up under it. Writes FORMAT.xml and FORMAT-cent.xml (the
last total one cent off) into the current folder and prints a line
"file||status|kind|text" for each thing show must say of them:
    python3 statement-corpus.py
"""
import random
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


def sheet(groups, equity, equity_total, parent=None, parts=PARTS):
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
    add("负债和所有者权益（或股东权益）总计", "+%d+%d" % (totals["负债合计"], total))
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

FORMATS = [  # name, section, amount elements, lines
    ("national-tax-2001", "SB_SYB", ("BYS", "BNLJ"), INCOME_2001),
    ("small-2011", "SB_SYB", ("BYS", "BNLJ"), small_income("营业税金及附加", True)),
    ("small-2016", "SB_SYB", ("BYS", "BNLJ"), small_income("税金及附加", False)),
    ("general-2006", "SB_SYB", ("BNLJ", "SNS"), INCOME_2006),
    ("general-2006-amended", "SB_SYB", ("BNLJ", "SNS"), INCOME_2006_AMENDED),
    ("general-2017", "SB_SYB", ("BNLJ", "SNS"), INCOME_2017),
    ("general-2018", "SB_SYB", ("BNLJ", "SNS"), INCOME_2018),
    ("general-2018-unrevised", "SB_SYB", ("BNLJ", "SNS"), INCOME_2018_UNREVISED),
    ("general-2019", "SB_SYB", ("BNLJ", "SNS"), INCOME_2019),
    ("general-2019-without-own-credit", "SB_SYB", ("BNLJ", "SNS"), INCOME_2019_NO_OWN_CREDIT),
    ("general-2019-unrevised", "SB_SYB", ("BNLJ", "SNS"), INCOME_2019_UNREVISED),
    ("consolidated-2019", "SB_SYB", ("BNLJ", "SNS"), INCOME_CONSOLIDATED),
    ("general-2019-balance-sheet", "SB_ZCFZB", ("NCS", "QMS"), BALANCE_GENERAL),
    ("consolidated-2019-balance-sheet", "SB_ZCFZB", ("NCS", "QMS"), BALANCE_CONSOLIDATED),
    ("general-2019-unrevised-balance-sheet", "SB_ZCFZB", ("NCS", "QMS"), BALANCE_UNREVISED),
    ("general-2017-balance-sheet", "SB_ZCFZB", ("NCS", "QMS"), BALANCE_2017),
    ("general-2018-balance-sheet", "SB_ZCFZB", ("NCS", "QMS"), BALANCE_2018),
    ("general-2018-unrevised-balance-sheet", "SB_ZCFZB", ("NCS", "QMS"), BALANCE_2018_UNREVISED),
    ("small-balance-sheet", "SB_ZCFZB", ("NCS", "QMS"), BALANCE_SMALL),
]


def figures(how, rng):
    """Each line's cents by key, for one column."""
    value = {}

    def of(key):
        if key not in value:
            made = how[key]
            if made in (None, "-"):
                value[key] = rng.randrange(1000, 50000000) * (-1 if made == "-" else 1)
            elif made == "0":
                value[key] = 0
            else:
                total, sign, number = 0, 1, ""
                for c in made + "+":
                    if c in "+-":
                        total += sign * of(number) if number else 0
                        sign, number = (1 if c == "+" else -1), ""
                    else:
                        number += c
                value[key] = total
        return value[key]

    return {key: of(key) for key in how}


def cents(v):
    return "%s%d.%02d" % ("-" if v < 0 else "", abs(v) // 100, abs(v) % 100)


def document(path, section, columns, printed, values, broken=None):
    items = ""
    for number, (name, key) in enumerate(printed, 1):
        items += "<{0}_XM><{0}_LC>{1}</{0}_LC><{0}_XMMC>{2}</{0}_XMMC>".format(section, number, name)
        for c, column in enumerate(columns):
            cent = 1 if key == broken and c == 0 else 0
            items += "<{0}_{1}>{2}</{0}_{1}>".format(section, column, cents(values[c][key] + cent))
        items += "</%s_XM>" % section
    if columns[1] == "SNS":  # the year and prior-year layout holds its lines in a block
        items = "<SB_SYB_BCZL>%s</SB_SYB_BCZL>" % items
    with open(path, "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?><DZSBB><{0}><{0}_MXXX>{1}</{0}_MXXX>'
                  '</{0}></DZSBB>'.format(section, items))


def main():
    rng = random.Random(37)
    for name, section, columns, lines in FORMATS:
        how = {entry.rsplit("#", 1)[1]: made for entry, made in lines}
        printed = [tuple(entry.rsplit("#", 1)) for entry, _ in lines if entry[0] != "~"]
        values = [figures(how, rng) for _ in columns]
        document(name + ".xml", section, columns, printed, values)
        print("%s.xml||0|failed|0" % name)
        print("%s.xml||0|none|not checked" % name)
        last = max(i for i, (_, key) in enumerate(printed) if how[key] not in (None, "-", "0"))
        document(name + "-cent.xml", section, columns, printed, values, printed[last][1])
        # The row as the text view starts it; a long name is cut there.
        print("%s-cent.xml||3|marked|%d|%s" % (name, last + 1, printed[last][0][:8]))
    return 0


if __name__ == "__main__":
    sys.exit(main())

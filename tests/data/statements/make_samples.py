#!/usr/bin/env python3
"""Writes the sample statements of this folder and their .expected sidecars.

The statements are of our own making: three column layouts (layout-a.csv, layout-b.txt, layout-c.csv)
in UTF-8 and GBK, with CRLF and LF, a byte-order mark, quoted fields, title, blank and summary lines.
Every fee is computed here by the current rules (exactly, in decimals, rounded to 0.01 halves up),
apart from the planted errors, which the sidecar names row by row for the fee audit's tests.

    python3 make_samples.py                  # rewrite the three samples and their sidecars
    python3 make_samples.py --rows 5000 FILE # a layout-a statement of that many trades, and FILE.expected
"""
import random
import sys
from decimal import Decimal as D, ROUND_HALF_UP
from pathlib import Path

HERE = Path(__file__).resolve().parent
CENT = D("0.01")


def r2(x):
    return x.quantize(CENT, rounding=ROUND_HALF_UP)


def money(x, groups=False):
    return f"{x:,.2f}" if groups else f"{x:.2f}"


def is_fund(code):
    return code[:2] in ("50", "51", "52", "56", "58", "15", "16")


def correct_fees(date, code, side, amount, account):
    """Commission, stamp duty, transfer fee and the exchange's fees (规费) the current rules charge."""
    commission = r2(amount * account["rate"] / 1000)
    if commission < account["minimum"]:
        commission = account["minimum"]
    fund = is_fund(code)
    stamp = D(0)
    if side == "sell" and not fund:
        stamp = r2(amount * (D("1") if date < "2023-08-28" else D("0.5")) / 1000)
    transfer = D(0) if fund else r2(amount * (D("0.02") if date < "2022-04-29" else D("0.01")) / 1000)
    other = D(0)
    if not account["inside"]:
        handling = D("0.04") if fund else (D("0.0487") if date < "2023-08-28" else D("0.0341"))
        other = r2(amount * (handling + D("0.02")) / 1000)
    return {"commission": commission, "stamp": stamp, "transfer": transfer, "other": other}


class Sheet:
    """Lines of a statement and the sidecar's rows, kept in step (the sidecar names file lines)."""

    def __init__(self, name, account, note):
        self.name = name
        self.account = account
        self.lines = []
        self.expected = [
            f"# {name}: the rows a fee audit must check, with the fees the current rules give.",
            f"# {note}",
            "# account: the broker's terms (commission rate in per mille, minimum in yuan, whether",
            "#   the exchange's fees are inside the commission).",
            "# trade LINE commission stamp transfer other [error=NAME field=FIELD charged=X]: a trade row",
            "#   and its correct fees; a planted error names the fee charged wrongly and what was charged.",
            "# skip LINE WORD: a row the reader skips, and why.",
            f"account rate={account['rate']} minimum={account['minimum']:.2f} "
            f"fees-inside={'yes' if account['inside'] else 'no'}",
        ]

    def line(self, text):
        self.lines.append(text)
        return len(self.lines)

    def trade(self, line_no, fees, error=None):
        text = (f"trade {line_no} {money(fees['commission'])} {money(fees['stamp'])} "
                f"{money(fees['transfer'])} {money(fees['other'])}")
        if error:
            text += f" error={error[0]} field={error[1]} charged={money(error[2])}"
        self.expected.append(text)

    def skip(self, line_no, word):
        self.expected.append(f"skip {line_no} {word}")

    def write(self, end, encoding, bom=False):
        data = end.join(self.lines) + end
        raw = data.encode(encoding)
        if bom:
            raw = b"\xef\xbb\xbf" + raw
        (HERE / self.name).write_bytes(raw)
        (HERE / (self.name.rsplit(".", 1)[0] + ".expected")).write_text("\n".join(self.expected) + "\n",
                                                                         encoding="utf-8")


def charged(fees, planted, amount):
    """The fees as the broker charged them, with the planted error applied."""
    out = dict(fees)
    if planted == "minimum-on-waived-account":
        out["commission"] = D("5.00")
    elif planted == "commission-above-rate":
        out["commission"] = max(r2(amount * D("0.3") / 1000), out["commission"] + CENT)
    elif planted == "stamp-duty-on-buy":
        out["stamp"] = r2(amount * D("0.5") / 1000)
    elif planted == "stamp-duty-old-rate":
        out["stamp"] = r2(amount * D("1") / 1000)
    elif planted == "transfer-fee-twice":
        out["transfer"] = fees["transfer"] * 2
    field = {"minimum-on-waived-account": "commission", "commission-above-rate": "commission",
             "stamp-duty-on-buy": "stamp", "stamp-duty-old-rate": "stamp",
             "transfer-fee-twice": "transfer"}.get(planted)
    return out, ((planted, field, out[field]) if planted else None)


# date, time, code, name, side, quantity, price, planted error
TRADES_A = [
    ("2024-01-08", "09:31:02", "600000", "浦发银行", "buy", 1000, "7.05", None),
    ("2024-01-08", "10:02:45", "000001", "平安银行", "buy", 200, "9.12", "minimum-on-waived-account"),
    ("2024-01-09", "13:15:00", "510300", "沪深300ETF", "buy", 10000, "3.482", None),
    ("2024-01-10", "14:20:31", "600000", "浦发银行", "sell", 500, "7.21", None),
    ("2024-01-11", "09:45:10", "601318", "中国平安", "buy", 300, "40.16", "stamp-duty-on-buy"),
    ("2024-01-12", "10:30:00", "510300", "沪深300ETF", "sell", 10000, "3.515", None),
    ("2024-01-15", "11:05:12", "000001", "平安银行", "sell", 200, "9.30", None),
    ("2024-01-16", "09:30:05", "300750", "宁德时代", "buy", 100, "151.20", None),
    ("2024-01-17", "14:56:59", "600000", "浦发银行", "sell", 500, "7.30", None),
]

TRADES_B = [
    ("2023-08-15", "09:35:11", "600036", "招商银行", "buy", 2000, "31.50", None),
    ("2023-08-16", "10:12:40", "000858", "五粮液", "buy", 200, "160.05", "commission-above-rate"),
    ("2023-08-25", "13:40:02", "600036", "招商银行", "sell", 1000, "32.02", None),
    ("2023-08-28", "09:30:45", "600036", "招商银行", "sell", 1000, "33.10", None),
    ("2023-09-04", "10:50:00", "000858", "五粮液", "sell", 200, "158.88", "transfer-fee-twice"),
    ("2023-09-05", "14:01:33", "002594", "比亚迪", "buy", 100, "245.60", None),
    ("2023-09-06", "11:20:09", "002594", "比亚迪", "sell", 100, "250.01", None),
]


def make_a(trades, name="layout-a.csv", extra_lines=True):
    account = {"rate": D("0.25"), "minimum": D(0), "inside": True}
    s = Sheet(name, account, "UTF-8 with a byte-order mark, CRLF, commas, quoted amounts; a title line, "
                             "a blank and a summary line. The account waives the 5.00 minimum (免五).")
    if extra_lines:
        s.line("资金账号：880012345678（模拟数据）")
    s.line("成交日期,成交时间,证券代码,证券名称,操作,成交数量,成交均价,成交金额,发生金额,手续费,印花税,过户费,其他费,合同编号")
    total = D(0)
    for n, (date, time, code, title, side, qty, price, planted) in enumerate(trades, 1):
        amount = r2(D(price) * qty)
        fees, error = charged(correct_fees(date, code, side, amount, account), planted, amount)
        paid = sum(fees.values())
        net = -(amount + paid) if side == "buy" else amount - paid
        total += amount
        no = s.line(",".join([
            date.replace("-", ""), time, code, title, "证券买入" if side == "buy" else "证券卖出", str(qty), price,
            f'"{money(amount, True)}"', f'"{money(net, True)}"', money(fees["commission"]), money(fees["stamp"]),
            money(fees["transfer"]), money(fees["other"]), str(24010800 + n)]))
        s.trade(no, correct_fees(date, code, side, amount, account), error)
    if extra_lines:
        s.line("")
        s.line(f'合计,,,,,,,"{money(total, True)}",,,,,,')
    return s


def make_b():
    account = {"rate": D("0.25"), "minimum": D("5.00"), "inside": False}
    s = Sheet("layout-b.txt", account, "GBK, CRLF, tabs, values written =\"…\"; 经手费 and 证管费 in two columns "
                                       "(their sum is the other fee). Commission 0.25 per mille, at least 5.00, "
                                       "the exchange's fees charged on top (不含规费).")
    s.line("\t".join(["成交日期", "成交时间", "证券代码", "证券名称", "买卖标志", "成交数量", "成交价格", "成交金额",
                      "佣金", "印花税", "过户费", "经手费", "证管费", "发生金额", "成交编号", "备注"]))
    for n, (date, time, code, title, side, qty, price, planted) in enumerate(TRADES_B, 1):
        amount = r2(D(price) * qty)
        right = correct_fees(date, code, side, amount, account)
        fees, error = charged(right, planted, amount)
        # The two exchange fees as the broker splits them; together they are the fee rounded once.
        handling = r2(amount * (D("0.0487") if date < "2023-08-28" else D("0.0341")) / 1000)
        regulatory = fees["other"] - handling
        paid = sum(fees.values())
        net = -(amount + paid) if side == "buy" else amount - paid
        q = lambda v: f'="{v}"'
        no = s.line("\t".join([
            q(date.replace("-", "")), time, q(code), title, "买入" if side == "buy" else "卖出",
            str(qty) if side == "buy" else str(-qty), price, money(amount), money(fees["commission"]),
            money(fees["stamp"]), money(fees["transfer"]), money(handling), money(regulatory), money(net),
            q(str(7000 + n)), ""]))
        s.trade(no, right, error)
    return s


def make_c():
    account = {"rate": D("0.2"), "minimum": D("5.00"), "inside": True}
    s = Sheet("layout-c.csv", account, "UTF-8 without a mark, LF, commas; the date and time in one field; bank "
                                       "transfers, interest, dividends, bonus and reserve shares. Commission "
                                       "0.2 per mille, at least 5.00, the exchange's fees inside (含规费).")
    s.line("发生日期,业务名称,证券代码,证券名称,成交股数,成交价格,成交金额,手续费,印花税,过户费,规费,清算金额,委托编号")
    rows = [
        ("2023-11-01 09:00:00", "bank", "银行转证券", "50000.00"),
        ("2023-11-02 09:41:20", "trade", ("600519", "贵州茅台", "buy", 100, "1750.00", None)),
        ("2023-11-02 10:12:00", "trade", ("601398", "工商银行", "buy", 5000, "4.92", "stamp-duty-on-buy")),
        ("2023-11-20 00:00:00", "dividend", ("601398", "工商银行", "1500.00")),
        ("2023-11-21 00:00:00", "shares", ("600519", "贵州茅台", "红股入账", 10)),
        ("2023-11-22 00:00:00", "shares", ("601398", "工商银行", "转增", 500)),
        ("2023-12-01 14:30:02", "trade", ("601398", "工商银行", "sell", 5500, "5.01", "stamp-duty-old-rate")),
        ("2023-12-20 00:00:00", "interest", "利息归本", "3.21"),
        ("2023-12-21 09:35:00", "unknown", "新股申购", ""),
        ("2023-12-22 10:00:00", "trade", ("600519", "贵州茅台", "sell", 110, "1801.00", None)),
        ("2023-12-29 15:30:00", "bank", "证券转银行", "-20000.00"),
    ]
    for when, what, *rest in rows:
        if what == "trade":
            code, title, side, qty, price, planted = rest[0]
            amount = r2(D(price) * qty)
            right = correct_fees(when[:10], code, side, amount, account)
            fees, error = charged(right, planted, amount)
            paid = sum(fees.values())
            net = -(amount + paid) if side == "buy" else amount - paid
            no = s.line(",".join([when, "证券买入" if side == "buy" else "证券卖出", code, title, str(qty), price,
                                  money(amount), money(fees["commission"]), money(fees["stamp"]),
                                  money(fees["transfer"]), money(fees["other"]), money(net), str(500 + len(s.lines))]))
            s.trade(no, right, error)
        elif what == "dividend":
            code, title, cash = rest[0]
            s.line(",".join([when, "股息入账", code, title, "0", "0.000", "0.00", "0.00", "0.00", "0.00", "0.00",
                             cash, ""]))
        elif what == "shares":
            code, title, word, qty = rest[0]
            s.line(",".join([when, word, code, title, str(qty), "0.000", "0.00", "", "", "", "", "0.00", ""]))
        else:
            word, cash = rest
            no = s.line(",".join([when, word, "", "", "", "", "", "", "", "", "", cash, ""]))
            s.skip(no, {"bank": "银行转账", "interest": "利息", "unknown": "未知业务"}[what])
    s.line("")
    s.line("汇总,,,,,,,,,,,,")
    return s


def big(rows, path):
    rng = random.Random(5000)
    names = [("600000", "浦发银行"), ("000001", "平安银行"), ("601318", "中国平安"), ("300750", "宁德时代"),
             ("510300", "沪深300ETF")]
    trades = []
    for i in range(rows):
        code, title = rng.choice(names)
        day = f"2024-{1 + i * 12 // rows:02d}-{1 + rng.randrange(28):02d}"
        price = f"{rng.randrange(300, 20000) / 100:.2f}" if not is_fund(code) else f"{rng.randrange(1000, 5000) / 1000:.3f}"
        trades.append((day, f"{9 + rng.randrange(6):02d}:{rng.randrange(60):02d}:{rng.randrange(60):02d}", code,
                       title, rng.choice(["buy", "sell"]), 100 * rng.randrange(1, 50), price, None))
    s = make_a(trades, Path(path).name, extra_lines=False)
    global HERE
    HERE = Path(path).resolve().parent
    s.write("\r\n", "utf-8", bom=True)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--rows":
        big(int(sys.argv[2]), sys.argv[3])
        return
    make_a(TRADES_A).write("\r\n", "utf-8", bom=True)
    make_b().write("\r\n", "gbk")
    make_c().write("\n", "utf-8")


if __name__ == "__main__":
    main()

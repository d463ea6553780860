"""The scenario of the end-to-end test, run by e2e.sh once both programs are up."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from atspi import (Failure, button, click, field, find, find_all, gone, set_text, text_of, wait,  # noqa: E402
                   window)

APP = "Tarnwell"
PLATE = "京E2E01"
OWNER = "李雷"


def isql(sql):
    out = subprocess.run(["isql-fb", "-q", "-ch", "UTF8", "-user", "SYSDBA", "-password", "quillfern",
                          "127.0.0.1:" + os.environ["E2E_DB"]], input=sql, capture_output=True, text=True)
    return out.stdout + out.stderr


def dismiss(caption, expected_text):
    box = window(APP, caption)
    labels = [l.name for l in find_all(box, role="label")]
    if expected_text not in labels:
        raise Failure("%s says %r, not %r" % (caption, labels, expected_text))
    click(button(box, "OK"))
    gone(APP, caption)


def log_in():
    login = window(APP, "用户登录", seconds=30)
    set_text(field(login, "登录用户"), "管理员")
    set_text(field(login, "登录密码"), "000000")
    click(button(login, "登录"))
    dismiss("警告", "密码错误！")
    login = window(APP, "用户登录", seconds=2)
    set_text(field(login, "登录密码"), "123456")
    click(button(login, "登录"))
    return window(APP, "汽修管理系统", seconds=30, role="frame")


def register_order(main):
    click(wait("the node 送修登记", lambda: find(find(main, role="tree"), role="table cell", name="送修登记")))
    wait("the list 送修登记", lambda: find(main, role="label", name="业务导航：维修业务->送修登记"))
    click(button(main, "新增"))
    repair = window(APP, "送修登记", role="dialog")
    set_text(field(repair, "客户姓名"), OWNER)
    set_text(field(repair, "联系电话"), "13912345678")
    set_text(field(repair, "车牌号码"), PLATE)
    set_text(field(repair, "报价金额"), "1,200")
    set_text(field(repair, "故障描述"), "发动机异响，左前轮胎磨损")
    # The accepter from the lookup's list: its button is the field's right end.
    accepter = wait("the field 接车人", lambda: find(repair, name="接车人", showing=True))
    e = accepter.queryComponent().getExtents(0)
    subprocess.run(["xdotool", "mousemove", str(e.x + e.width - e.height // 2), str(e.y + e.height // 2),
                    "click", "1"], check=True)
    cell = wait("the accepter list", lambda: find(repair, role="table cell", name="管理员", showing=True))
    click(cell, double=True)
    wait("the chosen accepter", lambda: accepter.description == "管理员")
    click(button(repair, "保存"))
    gone(APP, "送修登记")


def main():
    main_window = log_in()
    register_order(main_window)
    click(button(main_window, "刷新"))
    wait("the new order in the list", lambda: find(main_window, role="table cell", name=PLATE))
    rows = isql("SELECT CAR_OWNER, QUOTE, ACCEPTER_ID FROM TB_REPAIR WHERE CAR_NO = '%s';\n" % PLATE)
    if OWNER not in rows or "1200.00" not in rows:
        raise Failure("the database holds: " + rows)
    ticket = os.environ["E2E_TICKET"]
    wait("the ticket " + ticket, lambda: os.path.exists(ticket) and os.path.getsize(ticket) > 0)
    text = subprocess.run(["pdftotext", "-layout", ticket, "-"], capture_output=True, text=True).stdout
    for want in (OWNER, PLATE, "接车人：管理员", "报价金额：1,200"):
        if want not in text:
            raise Failure("the ticket lacks %r:\n%s" % (want, text))
    print("e2e: logged in, registered %s for %s, found it in the list, the database and the ticket" % (PLATE, OWNER))


if __name__ == "__main__":
    try:
        main()
    except Failure as f:
        print("e2e: " + str(f), file=sys.stderr)
        sys.exit(1)

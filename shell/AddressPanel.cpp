#include "shell/AddressPanel.h"

#include "text/CodePage.h"

namespace veltrano {

Text connectionGuide() {
    return utf8ToCodePage936(
        "\r\n操作方法:\r\n1.手机WIFI连接上与本电脑在同一局域网路由器\r\n"
        "2.将本机IP填写到手机端软件的地址框,并点击'连接'按钮");
}

void listLocalAddresses(const std::function<std::vector<std::string>()>& listAddresses,
                        const std::function<void(const Text&)>& appendText) {
    const Text prefix = utf8ToCodePage936("本机IP：");
    for (const std::string& address : listAddresses()) {
        appendText(prefix + address + "\r\n");
    }
    appendText(connectionGuide());
}

}  // namespace veltrano

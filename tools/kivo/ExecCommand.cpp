// "exec": a command run on one node, its answer printed and judged for the exit code.
#include <tinyxml.h>

#include "NodeCommands.h"
#include "NodePaths.h"
#include "Output.h"
#include "Text.h"
#include "TreeAccess.h"
#include "kivo/base/KivoBase.h"

namespace KivoHost {
namespace {

using KivoUnit::iNode;

enum class Answer { None, Reply, Failure, Exception };

// A failure is answered as "<failure/>", an exception as an XML document whose root
// element is "exception"; anything else is the command's result.
Answer judge(const std::string& answer) {
  if (answer.empty()) return Answer::None;
  TiXmlDocument document;
  document.Parse(answer.c_str(), nullptr, TIXML_ENCODING_UTF8);
  const TiXmlElement* root = document.Error() ? nullptr : document.RootElement();
  const std::string rootName = root != nullptr ? root->ValueStr() : std::string();
  if (rootName == "failure") return Answer::Failure;
  if (rootName == "exception") return Answer::Exception;
  return Answer::Reply;
}

// The last name of the path: what the base hands the node as its command.
std::string lastName(const std::string& path) {
  const std::string proper = withoutParams(path);
  return proper.substr(proper.rfind('/') + 1);
}

void printAnswer(const std::string& answer) {
  printText(answer.back() == '\n' ? answer : answer + "\n");
}

}  // namespace

int runCommand(const std::string& path, const std::string& command, const std::string& params) {
  TreeAccess tree(__func__);
  iNode* node = requireNode(tree.base(), path);
  if (node == nullptr) return ExitFailure;
  // The base takes paths as its commands: one naming the base would come back to it.
  if (node == tree.base()) return fail("the root takes no commands; name a node below it");
  const bool byPath = command.empty();
  const std::string ran = byPath ? lastName(path) : command;
  const std::string answer =
      toUtf8(byPath ? tree.base()->Execute(fromUtf8(path), wxString())
                    : node->Execute(fromUtf8(command), fromUtf8(params)));
  const std::string who = quoted(withoutParams(path));
  switch (judge(answer)) {
    case Answer::None:
      if (!node->CanExecute(fromUtf8(ran))) {
        return fail(who + " does not know the command " + quoted(ran));
      }
      // A command may well have nothing to say (a method that answers null).
      notice(who + " ran " + quoted(ran) + " and answered nothing");
      return ExitOk;
    case Answer::Failure:
      printAnswer(answer);
      return fail(who + " answered " + quoted(ran) + " with a failure");
    case Answer::Exception:
      printAnswer(answer);
      return fail(who + " answered " + quoted(ran) + " with an exception");
    case Answer::Reply:
      break;
  }
  printAnswer(answer);
  return ExitOk;
}

}  // namespace KivoHost
